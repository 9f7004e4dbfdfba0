#include "platform/qt/widgets/pill_button.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimerEvent>
#include <algorithm>

#include "platform/qt/widgets/palette.h"
#include "platform/qt/widgets/symbols.h"

namespace tonvera {
namespace {

constexpr int kSpinnerStepDegrees = 30;
constexpr int kSpinnerIntervalMs = 80;
constexpr int kGap = 6;

QColor borderedFill(const Palette& palette) {
    return palette.isDark() ? QColor(0x3A, 0x3A, 0x3F) : QColor(0xFF, 0xFF, 0xFF);
}

}  // namespace

QColor prominentFill(const Palette& palette) {
    return palette.prominentFill();
}

void paintSpinner(QPainter& painter, const QRectF& area, double diameter, int angle,
                  const QColor& color) {
    const QRectF box(area.center().x() - diameter / 2, area.center().y() - diameter / 2, diameter,
                     diameter);
    const double stroke = std::max(1.5, diameter / 7);
    QColor track = color;
    track.setAlphaF(0.25F);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring = box.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2);
    painter.setPen(QPen(track, stroke));
    painter.drawEllipse(ring);
    painter.setPen(QPen(color, stroke, Qt::SolidLine, Qt::RoundCap));
    // Qt counts in sixteenths of a degree, counter-clockwise; turn clockwise.
    painter.drawArc(ring, -angle * 16, 100 * 16);
    painter.restore();
}

PillButton::PillButton(Kind kind, Size size, QWidget* parent)
    : LabelledButton(parent), kind_(kind), size_(size) {
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PillButton::setSymbol(std::string_view symbolName) {
    symbol_ = std::string(symbolName);
    updateGeometry();
    update();
}

void PillButton::setBusy(bool busy, bool replacesText) {
    if (busy == busy_ && replacesText == busyReplacesText_) {
        return;
    }
    busy_ = busy;
    busyReplacesText_ = replacesText;
    updateSpinner();
    updateGeometry();
    update();
}

QFont PillButton::labelFont() const {
    switch (size_) {
        case Size::regular:
            return Palette::font(TextStyle::body,
                                 kind_ == Kind::prominent ? QFont::DemiBold : QFont::Normal);
        case Size::small:
            return Palette::font(TextStyle::subheadline);
        case Size::mini:
            return Palette::font(TextStyle::caption);
    }
    return Palette::font(TextStyle::body);
}

int PillButton::controlHeight() const {
    const int text = QFontMetrics(labelFont()).height();
    int height = text + 12;
    switch (size_) {
        case Size::regular:
            break;
        case Size::small:
            height = text + 9;
            break;
        case Size::mini:
            height = text + 6;
            break;
    }
    // Small text keeps a target a finger can hit.
    return std::max(height, metrics::kMinTarget);
}

int PillButton::horizontalPadding() const {
    switch (size_) {
        case Size::regular:
            return 16;
        case Size::small:
            return 11;
        case Size::mini:
            return 8;
    }
    return 16;
}

int PillButton::symbolSize() const {
    return QFontMetrics(labelFont()).ascent();
}

QSize PillButton::sizeHint() const {
    const QFontMetrics metrics(labelFont());
    int width = 2 * horizontalPadding() + metrics.horizontalAdvance(label());
    if (!symbol_.empty()) {
        width += symbolSize() + kGap;
    }
    if (busy_ && !busyReplacesText_) {
        width += symbolSize() + kGap;
    }
    return {std::max(width, metrics::kMinTarget), controlHeight()};
}

void PillButton::paintEvent(QPaintEvent* /*event*/) {
    const Palette palette = Palette::current();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = size_ == Size::mini ? 5.0 : 6.5;
    const bool enabled = isEnabled();
    const bool pressed = isDown();
    const bool hovered = enabled && underMouse();

    QColor fill;
    QColor textColor;
    QColor border = Qt::transparent;
    if (kind_ == Kind::prominent) {
        fill = enabled ? prominentFill(palette) : palette.color(NamedColor::gray, 0.28);
        textColor = enabled ? QColor(Qt::white) : palette.color(NamedColor::gray);
        border = enabled ? palette.prominentEdge() : QColor(Qt::transparent);
        if (!enabled && palette.isDark()) {
            textColor = palette.color(NamedColor::gray).lighter(115);
        }
    } else {
        fill = borderedFill(palette);
        border = enabled ? palette.controlEdge() : palette.color(NamedColor::gray, 0.4);
        textColor = enabled ? palette.primaryText() : palette.color(NamedColor::gray, 0.75);
    }
    if (pressed) {
        fill = palette.isDark() ? fill.lighter(125) : fill.darker(112);
    } else if (hovered) {
        fill = palette.isDark() ? fill.lighter(112) : fill.darker(104);
    }
    painter.setPen(border.alpha() > 0 ? QPen(border, 1.0) : Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, radius, radius);
    if (hasFocus()) {
        painter.setPen(QPen(palette.color(NamedColor::accent, 0.55), 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }

    // Content: [spinner] [symbol] text, centred.
    const QFontMetrics metrics(labelFont());
    const int symbol = symbolSize();
    const bool textShown = !(busy_ && busyReplacesText_);
    int contentWidth = textShown ? metrics.horizontalAdvance(label()) : 0;
    if (!symbol_.empty() && textShown) {
        contentWidth += symbol + kGap;
    }
    if (busy_) {
        contentWidth += symbol + (textShown ? kGap : 0);
    }
    double x = (width() - contentWidth) / 2.0;
    const double middle = rect().height() / 2.0;
    if (busy_) {
        paintSpinner(painter, QRectF(x, middle - symbol / 2.0, symbol, symbol), symbol * 0.9,
                     spinnerAngle_, textColor);
        x += symbol + kGap;
    }
    if (!textShown) {
        return;
    }
    if (!symbol_.empty()) {
        const QPixmap pixmap = symbolPixmap(symbol_, symbol, textColor);
        if (!pixmap.isNull()) {
            painter.drawPixmap(QRectF(x, middle - symbol / 2.0, symbol, symbol), pixmap,
                               QRectF(pixmap.rect()));
        }
        x += symbol + kGap;
    }
    painter.setFont(labelFont());
    painter.setPen(textColor);
    painter.drawText(QRectF(x, 0, width() - x, rect().height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, label());
}

void PillButton::timerEvent(QTimerEvent* event) {
    if (event->timerId() != spinnerTimer_.timerId()) {
        QAbstractButton::timerEvent(event);
        return;
    }
    spinnerAngle_ = (spinnerAngle_ + kSpinnerStepDegrees) % 360;
    update();
}

void PillButton::updateSpinner() {
    if (busy_ && isVisible()) {
        if (!spinnerTimer_.isActive()) {
            spinnerTimer_.start(kSpinnerIntervalMs, this);
        }
    } else {
        spinnerTimer_.stop();
    }
}

void PillButton::showEvent(QShowEvent* event) {
    QAbstractButton::showEvent(event);
    updateSpinner();
}

void PillButton::hideEvent(QHideEvent* event) {
    QAbstractButton::hideEvent(event);
    updateSpinner();
}

void PillButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange) {
        updateGeometry();
    }
}

void PillButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    update();
}

void PillButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    update();
}

}  // namespace tonvera
