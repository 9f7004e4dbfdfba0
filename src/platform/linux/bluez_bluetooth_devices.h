#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/bluetooth_devices.h"
#include "platform/logger.h"
#include "platform/main_queue.h"

namespace tonvera {

// The Bluetooth devices BlueZ (`org.bluez`) knows, on the system bus through sd-bus. Each
// look-up and connect uses a connection of its own, so any thread may call them, and the
// caller's bound covers everything it waits for: connecting to the bus, its greeting and every
// answer. BlueZ is never started for a question: a BlueZ that is not running knows no device.
class BluezBluetoothDevices final : public BluetoothDevices {
  public:
    // `systemBusAddress` is a D-Bus address ("unix:path=…"), or nothing for the system bus the
    // environment names (DBUS_SYSTEM_BUS_ADDRESS, else the usual one).
    BluezBluetoothDevices(std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<LogSink> logSink,
                          std::optional<std::string> systemBusAddress = std::nullopt);

    BluetoothLookup lookUp(const std::string& address, std::chrono::milliseconds timeout) override;
    BluetoothConnectResult connect(const std::string& address, std::chrono::milliseconds timeout,
                                   const std::stop_token& stop) override;
    std::unique_ptr<BluetoothDevicesWatch> watchDisconnects(DisconnectHandler handler) override;

  private:
    std::shared_ptr<MainQueue> mainQueue_;
    Logger logger_;
    std::optional<std::string> systemBus_;
};

}  // namespace tonvera
