#include "platform/qt/widgets/palette.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace tonvera {
namespace {

struct ColorPair {
    QRgb light;
    QRgb dark;
};

// Every text colour reaches 4.5:1 (WCAG AA for small text) on the window, page and card
// backgrounds of its theme; tests/ui/contrast_test.cpp measures the drawn windows.
ColorPair pairFor(NamedColor name) {
    switch (name) {
        case NamedColor::accent:
            return {qRgb(0x1A, 0x62, 0xD4), qRgb(0x5A, 0xA2, 0xFF)};
        case NamedColor::gray:
            return {qRgb(0x5F, 0x5F, 0x66), qRgb(0xA3, 0xA3, 0xAA)};
        case NamedColor::success:
            return {qRgb(0x1E, 0x7A, 0x3A), qRgb(0x3D, 0xCB, 0x62)};
        case NamedColor::warning:
            return {qRgb(0x9A, 0x55, 0x00), qRgb(0xFF, 0xA6, 0x1F)};
        case NamedColor::cardBackground:
            return {qRgb(0xF0, 0xF0, 0xF3), qRgb(0x2E, 0x2E, 0x32)};
    }
    return {qRgb(0, 0, 0), qRgb(0xFF, 0xFF, 0xFF)};
}

// Point sizes of the text styles for a 13-point body text; scaled to the desktop's font.
double relativeSize(TextStyle style) {
    switch (style) {
        // The smallest style stays as large as the caption: smaller text loses its contrast to
        // antialiasing.
        case TextStyle::caption2:
        case TextStyle::caption:
        case TextStyle::footnote:
            return 10.5 / 13.0;
        case TextStyle::subheadline:
            return 11.0 / 13.0;
        case TextStyle::callout:
            return 12.0 / 13.0;
        case TextStyle::body:
        case TextStyle::headline:
            return 1.0;
        case TextStyle::title3:
            return 15.0 / 13.0;
        case TextStyle::title:
            return 22.0 / 13.0;
    }
    return 1.0;
}

}  // namespace

Palette Palette::current() {
    const QColor window = QApplication::palette().color(QPalette::Window);
    return Palette(window.lightness() < 128);
}

QColor Palette::color(NamedColor name) const {
    const ColorPair pair = pairFor(name);
    return {dark_ ? pair.dark : pair.light};
}

QColor Palette::color(NamedColor name, double opacity) const {
    QColor value = color(name);
    value.setAlphaF(static_cast<float>(opacity));
    return value;
}

QColor Palette::primaryText() const {
    return QApplication::palette().color(QPalette::WindowText);
}

QColor Palette::separator() const {
    return {dark_ ? qRgb(0x4A, 0x4A, 0x50) : qRgb(0xD6, 0xD6, 0xDB)};
}

QColor Palette::controlEdge() const {
    return {dark_ ? qRgb(0x85, 0x85, 0x8D) : qRgb(0x7C, 0x7C, 0x84)};
}

QColor Palette::fieldBackground() const {
    return dark_ ? QColor(0x1F, 0x1F, 0x22) : QColor(Qt::white);
}

QColor Palette::prominentFill() const {
    return dark_ ? QColor(0x2F, 0x6F, 0xD0) : color(NamedColor::accent);
}

QColor Palette::prominentEdge() const {
    return dark_ ? color(NamedColor::accent) : prominentFill();
}

QFont Palette::font(TextStyle style, QFont::Weight weight) {
    QFont font = QApplication::font();
    const double base = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    font.setPointSizeF(base * relativeSize(style));
    font.setWeight(style == TextStyle::headline && weight == QFont::Normal ? QFont::DemiBold
                                                                           : weight);
    return font;
}

void setTextColor(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget.setPalette(palette);
}

}  // namespace tonvera
