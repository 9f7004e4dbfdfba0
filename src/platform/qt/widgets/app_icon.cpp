#include "platform/qt/widgets/app_icon.h"

#include <QFile>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>

namespace tonvera {

QPixmap appIconPixmap(int size, double radius, qreal ratio) {
    const QString ownIcon = QStringLiteral(":/icons/tonvera.svg");
    const QIcon icon = QIcon::fromTheme(QStringLiteral("tonvera"),
                                        QFile::exists(ownIcon) ? QIcon(ownIcon) : QIcon());
    const QPixmap source = icon.pixmap(QSize(size, size), ratio);
    if (source.isNull()) {
        return {};
    }
    QPixmap clipped(QSize(size, size) * ratio);
    clipped.setDevicePixelRatio(ratio);
    clipped.fill(Qt::transparent);
    QPainter painter(&clipped);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, 0, size, size), radius, radius);
    painter.setClipPath(shape);
    painter.drawPixmap(QRect(0, 0, size, size), source);
    return clipped;
}

}  // namespace tonvera
