#pragma once

#include <QObject>
#include <QPixmap>
#include <QTimer>

class QAbstractButton;

namespace tonvera {

// A small turning activity indicator shown as a button's icon, in front of its text, while
// some work runs. Without it the button shows no icon and takes no room for one.
class ActivitySpinner final : public QObject {
  public:
    explicit ActivitySpinner(QAbstractButton& button);

    void setRunning(bool running);
    bool isRunning() const { return timer_.isActive(); }

    // One frame: twelve spokes, the one at `step` darkest, in `color`.
    static QPixmap frame(int size, int step, const QColor& color, qreal devicePixelRatio);

  private:
    void showFrame();

    QAbstractButton& button_;
    QTimer timer_;
    int step_ = 0;
};

}  // namespace tonvera
