#pragma once

#include <QAbstractButton>

namespace tonvera {

// A button that draws itself and shows its label literally: "&" stays a character instead of
// marking a keyboard accelerator, and the accessible name is the label. Reached by Tab and
// shown with a pointing hand, like the other controls of our windows.
class LabelledButton : public QAbstractButton {
  public:
    explicit LabelledButton(QWidget* parent = nullptr);

    // The visible text, shown as given; pass it here, never to setText.
    void setLabel(const QString& label);
    QString label() const { return label_; }

  private:
    QString label_;
};

}  // namespace tonvera
