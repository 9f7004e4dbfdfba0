#include "platform/qt/widgets/rounded_card.h"

#include <QPainter>

namespace tonvera {

RoundedCard::RoundedCard(double radius, QWidget* parent) : QWidget(parent), radius_(radius) {}

void RoundedCard::setColors(const QColor& fill, const QColor& border) {
    if (fill == fill_ && border == border_) {
        return;
    }
    fill_ = fill;
    border_ = border;
    update();
}

void RoundedCard::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(fill_);
    if (border_.alpha() > 0) {
        painter.setPen(QPen(border_, 1.0));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius_, radius_);
    } else {
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(rect()), radius_, radius_);
    }
}

}  // namespace tonvera
