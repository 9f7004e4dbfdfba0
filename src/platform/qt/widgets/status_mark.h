#pragma once

#include <QBasicTimer>
#include <QWidget>
#include <optional>

#include "ui/status_line.h"

namespace tonvera {

// A state told by a symbol in its colour rather than by colour alone: a check for ready, a
// warning triangle for missing or failed, an "i" for news, a turning spinner while a look or an
// action runs, nothing at all for `none`.
class StatusMark final : public QWidget {
    Q_OBJECT

  public:
    enum class State { none, pending, success, warning, info };

    // `side` is the symbol's size in device-independent pixels.
    explicit StatusMark(int side, QWidget* parent = nullptr);

    void setState(State state);
    State state() const { return state_; }

    QSize sizeHint() const override { return {side_, side_}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void updateSpinner();

    int side_;
    State state_ = State::none;
    int spinnerAngle_ = 0;
    QBasicTimer spinnerTimer_;
};

// The mark that goes with a status line: a spinner while it runs, a check when done, an "i" for
// news, the warning triangle for an error, nothing without a line.
StatusMark::State markFor(const std::optional<StatusLine>& status);

}  // namespace tonvera
