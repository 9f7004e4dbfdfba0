#include "platform/qt/widgets/onboarding_page_parts.h"

#include <QFontMetrics>

namespace tonvera {

QLabel* makeLabel(TextStyle style, QFont::Weight weight, bool wrap) {
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setFont(Palette::font(style, weight));
    label->setWordWrap(wrap);
    if (wrap) {
        label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    }
    return label;
}

void setLabelText(QLabel& label, const std::string& text) {
    const QString value = qText(text);
    if (label.text() != value) {
        label.setText(value);
    }
}

QVBoxLayout* makeColumn(int spacing) {
    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QHBoxLayout* makeRow(int spacing) {
    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

int symbolSizeFor(TextStyle style) {
    return QFontMetrics(Palette::font(style)).height();
}

}  // namespace tonvera
