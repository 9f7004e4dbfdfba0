#pragma once

#include "platform/qt/widgets/labelled_button.h"

namespace tonvera {

// An on/off switch with its label on the left and the switch at the right edge, as in a
// settings list. The label is shown literally. Only the user's clicks emit clicked(), so a
// redraw that sets the state never writes it back.
class SwitchToggle final : public LabelledButton {
    Q_OBJECT

  public:
    explicit SwitchToggle(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
};

}  // namespace tonvera
