#pragma once

#include <memory>

#include "platform/alerts.h"
#include "platform/bluetooth_devices.h"
#include "platform/login_item.h"
#include "platform/notifications.h"
#include "platform/sound_outputs.h"
#include "platform/status_item.h"
#include "platform/system_events.h"
#include "platform/system_info.h"
#include "platform/window_host.h"
#include "settings/app_settings.h"
#include "ui/view_services.h"
#include "update/app_update_checker.h"

namespace tonvera {

// Everything the application's long-lived objects are made from, chosen once by the
// composition root: real services in the application, doubles in tests.
struct AppEnvironment {
    std::shared_ptr<AppSettings> settings;
    ViewServices view;
    std::shared_ptr<Alerts> alerts;
    std::shared_ptr<WindowHost> windows;
    std::shared_ptr<StatusItem> statusItem;
    std::shared_ptr<LoginItem> loginItem;
    std::shared_ptr<SystemEvents> systemEvents;
    std::shared_ptr<SystemInfo> systemInfo;
    std::shared_ptr<AppUpdateChecker> updateChecker;
    std::shared_ptr<SoundOutputs> soundOutputs;
    std::shared_ptr<Notifications> notifications;
    // Null where the system has no Bluetooth service to ask.
    std::shared_ptr<BluetoothDevices> bluetooth;
};

}  // namespace tonvera
