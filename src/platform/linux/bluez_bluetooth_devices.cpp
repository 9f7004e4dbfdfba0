#include "platform/linux/bluez_bluetooth_devices.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <utility>

#include <fmt/format.h>
#include <systemd/sd-bus.h>

#include "platform/linux/bluetooth_address.h"
#include "platform/linux/bluez_disconnect_watch.h"
#include "platform/linux/bluez_messages.h"
#include "platform/linux/bounded_bus_call.h"
#include "platform/linux/errno_text.h"
#include "platform/linux/sd_bus_handles.h"

namespace tonvera {
namespace {

using sd_bus_handles::BusPtr;
using sd_bus_handles::MessagePtr;
using Deadline = std::chrono::steady_clock::time_point;

// A call to BlueZ that does not start it.
MessagePtr newCall(sd_bus* bus, const char* path, const char* interface, const char* member) {
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus, &call, bluez::kService, path, interface, member) < 0) {
        return nullptr;
    }
    sd_bus_message_set_auto_start(call, 0);
    return MessagePtr(call);
}

std::string errorText(sd_bus_message* reply) {
    const sd_bus_error* error = sd_bus_message_get_error(reply);
    return fmt::format("{}: {}", error->name != nullptr ? error->name : "?",
                       error->message != nullptr ? error->message : "");
}

// One device looked up on a bus connection of its own, and how waiting for BlueZ ended.
struct Search {
    BusPtr bus;
    BusAnswer::Status ended = BusAnswer::Status::answered;
    BluetoothLookup lookup;
    std::string path;  // the device's object path when found
};

Search search(const std::optional<std::string>& busAddress, const std::string& address,
              Deadline deadline, const std::stop_token& stop) {
    using Status = BluetoothLookup::Status;
    Search found;
    const auto answer = [&found](Status status, std::string detail) {
        found.lookup = {status, {}, std::move(detail)};
        return std::move(found);
    };
    const int opened = sd_bus_handles::openBus(busAddress, true, found.bus);
    const MessagePtr call =
        opened < 0 ? nullptr
                   : newCall(found.bus.get(), "/", "org.freedesktop.DBus.ObjectManager",
                             "GetManagedObjects");
    if (!call) {
        return answer(Status::noSystemBus, fmt::format("The system bus is not reachable ({})",
                                                       errnoText(opened < 0 ? opened : -ENOMEM)));
    }
    BusAnswer reply = callBefore(found.bus.get(), call.get(), deadline, stop);
    found.ended = reply.status;
    // Before the bus has greeted us, silence is the bus's; after, it is BlueZ's.
    const bool busAnswered = sd_bus_is_ready(found.bus.get()) > 0;
    switch (reply.status) {
        case BusAnswer::Status::lost:
            return answer(Status::noSystemBus,
                          fmt::format("Lost the system bus ({})", errnoText(reply.error)));
        case BusAnswer::Status::timedOut:
        case BusAnswer::Status::cancelled:
            return busAnswered
                       ? answer(Status::noService, "BlueZ did not answer in time")
                       : answer(Status::noSystemBus, "The system bus did not answer in time");
        case BusAnswer::Status::answered:
            break;
    }
    if (sd_bus_message_is_method_error(reply.reply.get(), nullptr) != 0) {
        return answer(Status::noService, errorText(reply.reply.get()));
    }
    bluez::Objects objects;
    if (const int read = bluez::readObjects(reply.reply.get(), objects); read < 0) {
        return answer(Status::noService,
                      fmt::format("BlueZ's list of devices is unreadable ({})", errnoText(read)));
    }
    if (objects.adapterPowered.empty()) {
        return answer(Status::noAdapter, "BlueZ has no Bluetooth adapter");
    }
    const std::string wanted = normalizedBluetoothAddress(address);
    const auto device =
        std::find_if(objects.devices.begin(), objects.devices.end(), [&](const auto& candidate) {
            return !wanted.empty() &&
                   normalizedBluetoothAddress(candidate.device.address) == wanted;
        });
    if (device == objects.devices.end()) {
        return answer(Status::unknownDevice, fmt::format("BlueZ knows no device {}", address));
    }
    found.lookup = {Status::found, device->device, {}};
    found.lookup.device.adapterPowered = objects.adapterPowered[device->adapterPath];
    found.path = device->path;
    return found;
}

}  // namespace

BluezBluetoothDevices::BluezBluetoothDevices(std::shared_ptr<MainQueue> mainQueue,
                                             std::shared_ptr<LogSink> logSink,
                                             std::optional<std::string> systemBusAddress)
    : mainQueue_(std::move(mainQueue)),
      logger_(std::move(logSink), std::string(kLogSubsystem), "Bluetooth"),
      systemBus_(std::move(systemBusAddress)) {}

BluetoothLookup BluezBluetoothDevices::lookUp(const std::string& address,
                                              std::chrono::milliseconds timeout) {
    return search(systemBus_, address, std::chrono::steady_clock::now() + timeout, {}).lookup;
}

BluetoothConnectResult BluezBluetoothDevices::connect(const std::string& address,
                                                      std::chrono::milliseconds timeout,
                                                      const std::stop_token& stop) {
    using Outcome = BluetoothConnectResult::Outcome;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto ended = [](BusAnswer::Status status, std::string reason) {
        return status == BusAnswer::Status::cancelled
                   ? BluetoothConnectResult{Outcome::cancelled, {}}
                   : BluetoothConnectResult{status == BusAnswer::Status::timedOut
                                                ? Outcome::timedOut
                                                : Outcome::failed,
                                            std::move(reason)};
    };
    Search found = search(systemBus_, address, deadline, stop);
    if (found.lookup.status != BluetoothLookup::Status::found) {
        return ended(found.ended, found.lookup.detail);
    }
    const MessagePtr call =
        newCall(found.bus.get(), found.path.c_str(), bluez::kDeviceInterface, "Connect");
    if (!call) {
        return {Outcome::failed, "Could not ask BlueZ to connect"};
    }
    const BusAnswer reply = callBefore(found.bus.get(), call.get(), deadline, stop);
    switch (reply.status) {
        case BusAnswer::Status::lost:
            return ended(reply.status,
                         fmt::format("Lost the system bus ({})", errnoText(reply.error)));
        case BusAnswer::Status::timedOut:
        case BusAnswer::Status::cancelled:
            return ended(reply.status, "BlueZ did not answer in time");
        case BusAnswer::Status::answered:
            break;
    }
    // A connection already under way, or already made, is what was asked for.
    for (const char* done : {"org.bluez.Error.InProgress", "org.bluez.Error.AlreadyConnected"}) {
        if (sd_bus_message_is_method_error(reply.reply.get(), done) != 0) {
            return {Outcome::connected, {}};
        }
    }
    if (sd_bus_message_is_method_error(reply.reply.get(), nullptr) != 0) {
        return {Outcome::failed, errorText(reply.reply.get())};
    }
    return {Outcome::connected, {}};
}

std::unique_ptr<BluetoothDevicesWatch> BluezBluetoothDevices::watchDisconnects(
    DisconnectHandler handler) {
    return std::make_unique<BluezDisconnectWatch>(std::move(handler), mainQueue_, logger_,
                                                  systemBus_);
}

}  // namespace tonvera
