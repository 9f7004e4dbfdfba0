#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>

namespace tonvera {

// One Bluetooth device as the system's Bluetooth service knows it.
struct BluetoothDevice {
    std::string address;  // "AA:BB:CC:DD:EE:FF"
    std::string name;     // the device's own name (its alias), for the log
    bool paired = false;
    bool connected = false;
    bool adapterPowered = false;  // the adapter the device belongs to is switched on

    bool operator==(const BluetoothDevice&) const = default;
};

// What looking a device up found.
struct BluetoothLookup {
    enum class Status {
        found,          // `device` holds what the service knows
        unknownDevice,  // the service runs but knows no device with that address
        noAdapter,      // the service runs without any adapter
        noService,      // no Bluetooth service on the system bus
        noSystemBus,    // no system bus (or it did not answer in time)
    };

    Status status = Status::noSystemBus;
    BluetoothDevice device;
    // Why not, in the words of the bus or the service, for the log; empty when found.
    std::string detail;
};

// How asking a device to connect ended.
struct BluetoothConnectResult {
    enum class Outcome {
        connected,  // connected now ("in progress" and "already connected" count as well)
        failed,     // the service refused or the device did not answer; `reason` says why
        timedOut,   // no answer within the bound
        cancelled,  // the stop token was triggered
    };

    Outcome outcome = Outcome::failed;
    // The service's own error name and message, for the log; empty when connected.
    std::string reason;
};

// Ends a watch when destroyed; after the destructor returns its handler never runs again.
class BluetoothDevicesWatch {
  public:
    virtual ~BluetoothDevicesWatch() = default;
};

// The system's Bluetooth devices (BlueZ on the system bus on Linux). Every call is bounded in
// time, and without a system bus, a Bluetooth service or an adapter each answer says so at
// once and nothing waits or polls. Never pairs, trusts, disconnects or powers anything.
class BluetoothDevices {
  public:
    using DisconnectHandler = std::function<void(const std::string& address)>;

    virtual ~BluetoothDevices() = default;

    // The device with `address`, or why it cannot be found. Blocks up to `timeout`; any thread.
    virtual BluetoothLookup lookUp(const std::string& address,
                                   std::chrono::milliseconds timeout) = 0;

    // Asks the device to connect and waits for the answer, up to `timeout` or until `stop`.
    // Blocks; any thread.
    virtual BluetoothConnectResult connect(const std::string& address,
                                           std::chrono::milliseconds timeout,
                                           const std::stop_token& stop) = 0;

    // Calls `handler` on the main thread with the address of every device whose connection
    // ends (connected turns false) while the watch lives. Costs nothing while nothing changes.
    // Main thread only.
    virtual std::unique_ptr<BluetoothDevicesWatch> watchDisconnects(DisconnectHandler handler) = 0;
};

}  // namespace tonvera
