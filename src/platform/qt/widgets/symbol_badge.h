#pragma once

#include <QColor>
#include <QWidget>
#include <string>
#include <string_view>

namespace tonvera {

// A symbol in one colour, centred in a fixed box, optionally on a circle or rounded square.
// A symbol the application cannot draw leaves the box empty.
class SymbolBadge final : public QWidget {
    Q_OBJECT

  public:
    enum class Shape { none, circle, roundedSquare };

    SymbolBadge(QSize box, Shape shape = Shape::none, QWidget* parent = nullptr);

    void setSymbol(std::string_view symbolName, int symbolSize, const QColor& tint);
    // The background shape's colour (ignored for Shape::none) and its corner radius.
    void setBackground(const QColor& color, double radius = 0);
    // Moves the symbol down by `pixels` inside its box.
    void setVerticalOffset(int pixels);

    const std::string& symbol() const { return symbol_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Shape shape_;
    std::string symbol_;
    int symbolSize_ = 0;
    QColor tint_;
    QColor background_ = Qt::transparent;
    double radius_ = 0;
    int offset_ = 0;
};

}  // namespace tonvera
