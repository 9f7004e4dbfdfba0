#pragma once

#include <QWidget>
#include <memory>

namespace tonvera {

class SettingsView;

// The Settings window's content: draws the view's state and hands every press to the view.
// Sized for the window the view's windowOptions() describes. Its controls carry object names
// ("deviceName", "connectNow", "findDevices", …) for tests and tools.
std::unique_ptr<QWidget> makeSettingsWidget(std::shared_ptr<SettingsView> view);

}  // namespace tonvera
