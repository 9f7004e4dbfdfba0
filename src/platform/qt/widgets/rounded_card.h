#pragma once

#include <QColor>
#include <QWidget>

namespace tonvera {

// A rounded rectangle behind other widgets: a card, a highlighted row, a note. Its layout
// (set by the owner) carries the padding.
class RoundedCard final : public QWidget {
    Q_OBJECT

  public:
    explicit RoundedCard(double radius, QWidget* parent = nullptr);

    // `border` transparent draws no outline.
    void setColors(const QColor& fill, const QColor& border = Qt::transparent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double radius_;
    QColor fill_ = Qt::transparent;
    QColor border_ = Qt::transparent;
};

}  // namespace tonvera
