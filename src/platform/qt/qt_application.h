#pragma once

#include "platform/application.h"

namespace tonvera {

// The running Qt application.
class QtApplication final : public Application {
  public:
    // Windows raise and focus themselves when brought forward; X11 and Wayland have no
    // activation of a whole application to add to that.
    void activateIgnoringOtherApps() override {}

    // A tray application on Linux shows no window and no taskbar entry until it opens one,
    // so there is nothing to switch.
    void becomeAccessory() override {}

    // Leaves every event loop, also that of an open alert; termination follows in main.
    void terminate() override;
};

}  // namespace tonvera
