#include "platform/qt/widgets/labelled_button.h"

#include "platform/qt/accelerators.h"

namespace tonvera {

LabelledButton::LabelledButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

void LabelledButton::setLabel(const QString& label) {
    if (label == label_) {
        return;
    }
    label_ = label;
    setText(withoutAccelerators(label));
    setAccessibleName(label);
    updateGeometry();
    update();
}

}  // namespace tonvera
