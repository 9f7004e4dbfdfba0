#include "platform/qt/widgets/status_dot.h"

#include <QPainter>
#include <QRadialGradient>

#include "platform/qt/widgets/palette.h"

namespace tonvera {
namespace {

constexpr int kGlowRadius = 4;

}  // namespace

StatusDot::StatusDot(bool glow, QWidget* parent) : QWidget(parent), glow_(glow) {
    setFixedSize(sizeHint());
}

void StatusDot::setColor(const QColor& color) {
    if (color == color_) {
        return;
    }
    color_ = color;
    update();
}

QSize StatusDot::sizeHint() const {
    const int side = metrics::kStatusDot + (glow_ ? 2 * kGlowRadius : 0);
    return {side, side};
}

void StatusDot::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QPointF centre = QRectF(rect()).center();
    const double radius = metrics::kStatusDot / 2.0;
    if (glow_) {
        // A shadow of the dot's colour at 40 % that fades out over the blur radius.
        QColor inner = color_;
        inner.setAlphaF(0.4F);
        QColor outer = color_;
        outer.setAlphaF(0.0F);
        QRadialGradient gradient(centre, radius + kGlowRadius);
        gradient.setColorAt(radius / (radius + kGlowRadius), inner);
        gradient.setColorAt(1.0, outer);
        painter.setBrush(gradient);
        painter.drawEllipse(centre, radius + kGlowRadius, radius + kGlowRadius);
    }
    painter.setBrush(color_);
    painter.drawEllipse(centre, radius, radius);
}

}  // namespace tonvera
