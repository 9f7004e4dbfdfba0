#pragma once

#include <string>

class QWidget;

namespace tonvera {

// Shows `window`, raises it and asks for the keyboard focus, as far as the display server
// lets an application do that by itself. On Wayland a compositor moves the focus only with an
// activation token: `activationToken` is the one the desktop handed to whatever the user just
// started (XDG_ACTIVATION_TOKEN of a second start); empty when there is none, and then the
// compositor may only mark the window as wanting attention.
void bringForward(QWidget& window, const std::string& activationToken);

}  // namespace tonvera
