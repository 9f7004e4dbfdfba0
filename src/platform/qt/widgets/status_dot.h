#pragma once

#include <QColor>
#include <QWidget>

namespace tonvera {

// A small filled circle that tells a state by its colour, optionally with a soft glow.
class StatusDot final : public QWidget {
    Q_OBJECT

  public:
    explicit StatusDot(bool glow, QWidget* parent = nullptr);

    void setColor(const QColor& color);
    QColor color() const { return color_; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool glow_;
    QColor color_ = Qt::gray;
};

}  // namespace tonvera
