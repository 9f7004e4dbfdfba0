#pragma once

#include <QPushButton>

namespace tonvera {

// A bordered push button sized to its caption-sized text: the small and mini buttons of the
// windows ("Use", "Check for Updates"), which the style would otherwise widen to a full button.
class CompactButton final : public QPushButton {
  public:
    explicit CompactButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
};

}  // namespace tonvera
