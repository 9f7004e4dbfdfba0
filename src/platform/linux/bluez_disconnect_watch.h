#pragma once

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/bluetooth_devices.h"
#include "platform/linux/wake_up_fd.h"
#include "platform/logger.h"
#include "platform/main_queue.h"

namespace tonvera {

// Hands the address of every Bluetooth device whose connection ends to the main queue, from
// BlueZ's PropertiesChanged broadcasts (Connected turning false). One thread of its own waits
// on the bus connection and nothing else, so an idle bus costs nothing; a bus that cannot be
// reached or goes away is logged and ends the watch.
class BluezDisconnectWatch final : public BluetoothDevicesWatch {
  public:
    using Handler = BluetoothDevices::DisconnectHandler;

    // Returns at once; the bus is connected on the watch's thread.
    BluezDisconnectWatch(Handler handler, std::shared_ptr<MainQueue> mainQueue, Logger logger,
                         std::optional<std::string> systemBusAddress);
    ~BluezDisconnectWatch() override;

    BluezDisconnectWatch(const BluezDisconnectWatch&) = delete;
    BluezDisconnectWatch& operator=(const BluezDisconnectWatch&) = delete;

  private:
    // Blocks posted to the main queue hold it weakly: once the watch is gone they do nothing.
    std::shared_ptr<Handler> handler_;
    WakeUpFd stopWakeUp_;  // before the thread, so destruction can always cut its wait short
    std::jthread thread_;
};

}  // namespace tonvera
