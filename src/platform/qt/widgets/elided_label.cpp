#include "platform/qt/widgets/elided_label.h"

#include <algorithm>

namespace tonvera {

ElidedLabel::ElidedLabel(TextStyle style, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setFont(Palette::font(style));
    // The layout decides the width; the text then shows what fits of it.
    // One line's height, text or none, so a line that fills or empties moves nothing.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setFixedHeight(fontMetrics().lineSpacing() + 1);
}

void ElidedLabel::setFullText(const QString& text) {
    if (text != full_) {
        full_ = text;
        elide();
    }
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide() {
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, std::max(width(), 1));
    setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
}

}  // namespace tonvera
