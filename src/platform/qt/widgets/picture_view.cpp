#include "platform/qt/widgets/picture_view.h"

#include <QPainter>
#include <QPainterPath>

#include "platform/qt/widgets/palette.h"

namespace tonvera {

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void PictureView::setPicture(const QIcon& picture, QSize naturalSize) {
    picture_ = picture;
    natural_ = naturalSize.isValid() && !naturalSize.isEmpty() ? naturalSize : QSize(1, 1);
    updateGeometry();
    update();
}

int PictureView::heightForWidth(int width) const {
    return width * natural_.height() / natural_.width();
}

QSize PictureView::sizeHint() const {
    return natural_;
}

void PictureView::paintEvent(QPaintEvent* /*event*/) {
    const QRectF target(0, 0, width(), heightForWidth(width()));
    const double radius = metrics::kCardRadius;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(target, radius, radius);
    painter.save();
    painter.setClipPath(clip);
    painter.drawPixmap(target.toRect(),
                       picture_.pixmap(target.size().toSize(), devicePixelRatioF()));
    painter.restore();
    painter.setPen(QPen(Palette::current().color(NamedColor::gray, 0.25), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(target.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

}  // namespace tonvera
