#include "platform/qt/widgets/onboarding_page_parts.h"

#include <QFontMetrics>
#include <algorithm>

namespace tonvera {
namespace {

// A wrapped label asks for one line at least: its real height comes from heightForWidth.
// QLabel's own minimum assumes a narrow guess of the width and would leave a gap below the
// page in a scroll area.
class WrappingLabel final : public QLabel {
  public:
    QSize minimumSizeHint() const override {
        QSize size = QLabel::minimumSizeHint();
        size.setHeight(std::min(size.height(), fontMetrics().height()));
        return size;
    }
};

}  // namespace

QLabel* makeLabel(TextStyle style, QFont::Weight weight, bool wrap) {
    QLabel* label = wrap ? new WrappingLabel : new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setFont(Palette::font(style, weight));
    label->setWordWrap(wrap);
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

void styleTextField(QLineEdit& field, const Palette& palette) {
    const QString style =
        QStringLiteral(
            "QLineEdit { border: 1px solid %1; border-radius: 6px; padding: 4px 8px;"
            " background: %2; color: %3; }"
            "QLineEdit:focus { border: 2px solid %4; padding: 3px 7px; }")
            .arg(palette.controlEdge().name(), palette.fieldBackground().name(),
                 palette.primaryText().name(), palette.color(NamedColor::accent).name());
    if (field.styleSheet() != style) {
        field.setStyleSheet(style);
    }
    QPalette colors = field.palette();
    if (colors.color(QPalette::PlaceholderText) != palette.color(NamedColor::gray)) {
        colors.setColor(QPalette::PlaceholderText, palette.color(NamedColor::gray));
        field.setPalette(colors);
    }
}

}  // namespace tonvera
