#pragma once

#include <QBasicTimer>
#include <string>
#include <string_view>

#include "platform/qt/widgets/labelled_button.h"

namespace tonvera {

class Palette;

// A push button drawn the same on every desktop style: filled in the accent colour
// (prominent) or light with a thin outline (bordered), in three control sizes, with an
// optional leading symbol and a small spinner while its work runs. Its text is shown
// literally: pass it through setLabel, never setText.
class PillButton final : public LabelledButton {
    Q_OBJECT

  public:
    enum class Kind { prominent, bordered };
    enum class Size { regular, small, mini };

    PillButton(Kind kind, Size size, QWidget* parent = nullptr);

    // A symbol before the text; empty for none.
    void setSymbol(std::string_view symbolName);

    // While busy the button shows a spinner: before its content, or instead of its text when
    // `replacesText` (the text's room is kept so the row does not jump).
    void setBusy(bool busy, bool replacesText = false);
    bool isBusy() const { return busy_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    QFont labelFont() const;
    int controlHeight() const;
    int horizontalPadding() const;
    int symbolSize() const;
    void updateSpinner();

    Kind kind_;
    Size size_;
    std::string symbol_;
    bool busy_ = false;
    bool busyReplacesText_ = false;
    int spinnerAngle_ = 0;
    QBasicTimer spinnerTimer_;
};

// The fill of prominent buttons and current-step marks: the accent, deepened on dark
// backgrounds so that white text on it stays readable.
QColor prominentFill(const Palette& palette);

// Draws an indeterminate spinner of `diameter` pixels centred in `area`, turned by `angle`.
void paintSpinner(QPainter& painter, const QRectF& area, double diameter, int angle,
                  const QColor& color);

}  // namespace tonvera
