#include "platform/qt/widgets/status_mark.h"

#include <QPainter>
#include <QTimerEvent>

#include "platform/qt/widgets/palette.h"
#include "platform/qt/widgets/pill_button.h"
#include "platform/qt/widgets/symbols.h"

namespace tonvera {
namespace {

constexpr int kSpinnerStepDegrees = 30;
constexpr int kSpinnerIntervalMs = 80;

}  // namespace

StatusMark::State markFor(const std::optional<StatusLine>& status) {
    if (!status) {
        return StatusMark::State::none;
    }
    switch (status->kind) {
        case StatusKind::progress:
            return StatusMark::State::pending;
        case StatusKind::done:
            return StatusMark::State::success;
        case StatusKind::notice:
            return StatusMark::State::info;
        case StatusKind::error:
            return StatusMark::State::warning;
    }
    return StatusMark::State::none;
}

StatusMark::StatusMark(int side, QWidget* parent) : QWidget(parent), side_(side) {
    setFixedSize(side, side);
}

void StatusMark::setState(State state) {
    if (state == state_) {
        return;
    }
    state_ = state;
    updateSpinner();
    update();
}

void StatusMark::paintEvent(QPaintEvent* /*event*/) {
    const Palette palette = Palette::current();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(rect());
    const char* symbol = nullptr;
    QColor tint;
    switch (state_) {
        case State::none:
            return;
        case State::pending:
            paintSpinner(painter, box, side_ * 0.85, spinnerAngle_,
                         palette.color(NamedColor::gray));
            return;
        case State::success:
            symbol = "checkmark.circle.fill";
            tint = palette.color(NamedColor::success);
            break;
        case State::warning:
            symbol = "exclamationmark.triangle.fill";
            tint = palette.color(NamedColor::warning);
            break;
        case State::info:
            symbol = "info.circle";
            tint = palette.color(NamedColor::gray);
            break;
    }
    const QPixmap pixmap = symbolPixmap(symbol, side_, tint);
    if (!pixmap.isNull()) {
        painter.drawPixmap(box, pixmap, QRectF(pixmap.rect()));
    }
}

void StatusMark::timerEvent(QTimerEvent* event) {
    if (event->timerId() != spinnerTimer_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    spinnerAngle_ = (spinnerAngle_ + kSpinnerStepDegrees) % 360;
    update();
}

void StatusMark::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateSpinner();
}

void StatusMark::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateSpinner();
}

void StatusMark::updateSpinner() {
    if (state_ == State::pending && isVisible()) {
        if (!spinnerTimer_.isActive()) {
            spinnerTimer_.start(kSpinnerIntervalMs, this);
        }
    } else {
        spinnerTimer_.stop();
    }
}

}  // namespace tonvera
