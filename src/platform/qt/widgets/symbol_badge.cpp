#include "platform/qt/widgets/symbol_badge.h"

#include <QPainter>

#include "platform/qt/widgets/symbols.h"

namespace tonvera {

SymbolBadge::SymbolBadge(QSize box, Shape shape, QWidget* parent) : QWidget(parent), shape_(shape) {
    setFixedSize(box);
}

void SymbolBadge::setSymbol(std::string_view symbolName, int symbolSize, const QColor& tint) {
    if (symbol_ == symbolName && symbolSize_ == symbolSize && tint_ == tint) {
        return;
    }
    symbol_ = std::string(symbolName);
    symbolSize_ = symbolSize;
    tint_ = tint;
    update();
}

void SymbolBadge::setBackground(const QColor& color, double radius) {
    if (background_ == color && radius_ == radius) {
        return;
    }
    background_ = color;
    radius_ = radius;
    update();
}

void SymbolBadge::setVerticalOffset(int pixels) {
    offset_ = pixels;
    update();
}

void SymbolBadge::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(background_);
    if (shape_ == Shape::circle) {
        painter.drawEllipse(QRectF(rect()));
    } else if (shape_ == Shape::roundedSquare) {
        painter.drawRoundedRect(QRectF(rect()), radius_, radius_);
    }
    if (symbol_.empty() || symbolSize_ <= 0) {
        return;
    }
    const QPixmap pixmap = symbolPixmap(symbol_, symbolSize_, tint_);
    if (pixmap.isNull()) {
        return;
    }
    const QRectF target((width() - symbolSize_) / 2.0, (height() - symbolSize_) / 2.0 + offset_,
                        symbolSize_, symbolSize_);
    painter.drawPixmap(target, pixmap, QRectF(pixmap.rect()));
}

}  // namespace tonvera
