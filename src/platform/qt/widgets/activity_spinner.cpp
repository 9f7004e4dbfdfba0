#include "platform/qt/widgets/activity_spinner.h"

#include <QAbstractButton>
#include <QIcon>
#include <QPainter>
#include <QPen>
#include <cmath>

#include "platform/qt/widgets/palette.h"

namespace tonvera {
namespace {

constexpr int kSpokes = 12;

}  // namespace

ActivitySpinner::ActivitySpinner(QAbstractButton& button) : QObject(&button), button_(button) {
    timer_.setInterval(metrics::kSpinnerStepMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % kSpokes;
        showFrame();
    });
}

void ActivitySpinner::setRunning(bool running) {
    if (running == isRunning()) {
        return;
    }
    if (running) {
        button_.setIconSize(QSize(metrics::kSpinnerSize, metrics::kSpinnerSize));
        showFrame();
        timer_.start();
    } else {
        timer_.stop();
        button_.setIcon(QIcon());
    }
}

void ActivitySpinner::showFrame() {
    // The button is usually disabled while its work runs; the style would fade the spinner
    // into the background, so the same frame serves the disabled look.
    const QPixmap pixmap =
        frame(metrics::kSpinnerSize, step_, Palette::current().color(NamedColor::gray),
              button_.devicePixelRatioF());
    QIcon icon(pixmap);
    icon.addPixmap(pixmap, QIcon::Disabled);
    button_.setIcon(icon);
}

QPixmap ActivitySpinner::frame(int size, int step, const QColor& color, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(size / 2.0, size / 2.0);
    const double outer = size / 2.0;
    for (int spoke = 0; spoke < kSpokes; ++spoke) {
        // The head is darkest; the spokes behind it fade out.
        const int behind = (step - spoke + kSpokes) % kSpokes;
        QColor shade = color;
        shade.setAlphaF(static_cast<float>(1.0 - 0.75 * behind / (kSpokes - 1)));
        QPen pen(shade, std::max(1.0, size / 8.0), Qt::SolidLine, Qt::RoundCap);
        painter.setPen(pen);
        painter.save();
        painter.rotate(360.0 * spoke / kSpokes);
        painter.drawLine(QPointF(0, -outer * 0.45), QPointF(0, -outer * 0.9));
        painter.restore();
    }
    return pixmap;
}

}  // namespace tonvera
