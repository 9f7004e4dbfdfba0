#include "platform/qt/widgets/switch_toggle.h"

#include <QPainter>
#include <algorithm>

#include "platform/qt/widgets/palette.h"

namespace tonvera {
namespace {

constexpr int kTrackWidth = 34;
constexpr int kTrackHeight = 20;
constexpr int kKnobInset = 2;
constexpr int kLabelGap = 12;

}  // namespace

SwitchToggle::SwitchToggle(QWidget* parent) : LabelledButton(parent) {
    setCheckable(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize SwitchToggle::sizeHint() const {
    const QFontMetrics text(Palette::font(TextStyle::body));
    return {text.horizontalAdvance(label()) + kLabelGap + kTrackWidth,
            std::max({kTrackHeight + 2, text.height() + 2, metrics::kMinTarget})};
}

QSize SwitchToggle::minimumSizeHint() const {
    return sizeHint();
}

bool SwitchToggle::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

void SwitchToggle::paintEvent(QPaintEvent* /*event*/) {
    const Palette palette = Palette::current();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF track(width() - kTrackWidth - 1, (height() - kTrackHeight) / 2.0, kTrackWidth,
                       kTrackHeight);
    painter.setFont(Palette::font(TextStyle::body));
    painter.setPen(isEnabled() ? palette.primaryText() : palette.color(NamedColor::gray));
    painter.drawText(QRectF(0, 0, track.left() - kLabelGap, height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, label());

    // On: the accent fill; off: a quiet fill with the control edge, so either state shows where
    // the switch is.
    QColor trackColor = isChecked()
                            ? palette.prominentFill()
                            : palette.color(NamedColor::gray, palette.isDark() ? 0.35 : 0.2);
    QColor edge = isChecked() ? palette.prominentEdge() : palette.controlEdge();
    if (!isEnabled()) {
        trackColor.setAlphaF(trackColor.alphaF() * 0.5F);
        edge.setAlphaF(0.5F);
    }
    painter.setPen(QPen(edge, 1.0));
    painter.setBrush(trackColor);
    painter.drawRoundedRect(track.adjusted(0.5, 0.5, -0.5, -0.5), kTrackHeight / 2.0 - 0.5,
                            kTrackHeight / 2.0 - 0.5);
    if (hasFocus()) {
        painter.setPen(QPen(palette.color(NamedColor::accent, 0.5), 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(track.adjusted(-2, -2, 2, 2), kTrackHeight / 2.0 + 2,
                                kTrackHeight / 2.0 + 2);
    }

    const double knob = kTrackHeight - 2 * kKnobInset;
    const double knobX =
        isChecked() ? track.right() - kKnobInset - knob : track.left() + kKnobInset;
    const QRectF knobRect(knobX, track.top() + kKnobInset, knob, knob);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawEllipse(knobRect.translated(0, 0.75));
    painter.setBrush(Qt::white);
    painter.drawEllipse(knobRect);
}

}  // namespace tonvera
