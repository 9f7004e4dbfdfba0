#include "platform/linux/bluez_disconnect_watch.h"

#include <array>
#include <cerrno>
#include <string_view>
#include <utility>

#include <poll.h>
#include <systemd/sd-bus.h>

#include "platform/linux/bluetooth_address.h"
#include "platform/linux/bluez_messages.h"
#include "platform/linux/errno_text.h"
#include "platform/linux/sd_bus_handles.h"

namespace tonvera {
namespace {

// BlueZ's own broadcasts about a device's properties: the bus passes on a broadcast with a
// well-known sender only from the connection that owns the name, so no other program can
// fake one.
constexpr const char* kMatch =
    "type='signal',sender='org.bluez',interface='org.freedesktop.DBus.Properties',"
    "member='PropertiesChanged',path_namespace='/org/bluez',arg0='org.bluez.Device1'";

// What the bus callbacks share, on the watch's thread.
struct Listener {
    std::weak_ptr<BluezDisconnectWatch::Handler> handler;
    std::shared_ptr<MainQueue> mainQueue;
    const Logger& logger;
    bool failed = false;

    static int onSignal(sd_bus_message* message, void* user, sd_bus_error* /*error*/) {
        const auto* self = static_cast<const Listener*>(user);
        const char* interface = nullptr;
        std::optional<bool> connected;
        // A signal addressed to this connection arrives whatever the match says: only
        // broadcasts count.
        if (sd_bus_message_get_destination(message) != nullptr ||
            sd_bus_message_read_basic(message, 's', &interface) < 0 ||
            std::string_view(interface) != bluez::kDeviceInterface ||
            bluez::readConnectedChange(message, connected) < 0 || connected != false) {
            return 0;
        }
        const char* path = sd_bus_message_get_path(message);
        std::string address = bluetoothAddressOfDevicePath(path != nullptr ? path : "");
        if (!address.empty()) {
            self->mainQueue->post([handler = self->handler, address = std::move(address)] {
                if (const auto alive = handler.lock()) {
                    (*alive)(address);
                }
            });
        }
        return 0;
    }

    static int onInstalled(sd_bus_message* reply, void* user, sd_bus_error* /*error*/) {
        auto* self = static_cast<Listener*>(user);
        if (sd_bus_message_is_method_error(reply, nullptr) != 0) {
            const sd_bus_error* error = sd_bus_message_get_error(reply);
            self->logger.error("Cannot watch Bluetooth disconnects ({})",
                               error->message != nullptr ? error->message : "refused");
            self->failed = true;
        } else {
            self->logger.info("Watching Bluetooth disconnects");
        }
        return 0;
    }
};

void watch(Listener& listener, const std::optional<std::string>& busAddress,
           const WakeUpFd& stopWakeUp, const std::stop_token& stop) {
    const Logger& logger = listener.logger;
    sd_bus_handles::BusPtr bus;
    int result = sd_bus_handles::openBus(busAddress, true, bus);
    if (result < 0) {
        logger.error("The system bus is not reachable ({}); Bluetooth disconnects are not watched",
                     errnoText(result));
        return;
    }
    // Asynchronous: the answer comes through the loop like any other message.
    result = sd_bus_add_match_async(bus.get(), nullptr, kMatch, &Listener::onSignal,
                                    &Listener::onInstalled, &listener);
    if (result < 0) {
        logger.error("Cannot watch Bluetooth disconnects ({})", errnoText(result));
        return;
    }
    while (!stop.stop_requested() && !listener.failed) {
        const int events = sd_bus_get_events(bus.get());
        std::array<pollfd, 2> watched{
            {{sd_bus_get_fd(bus.get()), static_cast<short>(events > 0 ? events : POLLIN), 0},
             {stopWakeUp.get(), POLLIN, 0}}};
        if (::poll(watched.data(), watched.size(), sd_bus_handles::pollTimeout(bus.get())) < 0 &&
            errno != EINTR) {
            logger.error(
                "Waiting for Bluetooth disconnects failed ({}); they are no longer watched",
                errnoText(errno));
            return;
        }
        while ((result = sd_bus_process(bus.get(), nullptr)) > 0) {
        }
        if (result < 0) {
            logger.error("Lost the system bus ({}); Bluetooth disconnects are no longer watched",
                         errnoText(result));
            return;
        }
    }
}

}  // namespace

BluezDisconnectWatch::BluezDisconnectWatch(Handler handler, std::shared_ptr<MainQueue> mainQueue,
                                           Logger logger,
                                           std::optional<std::string> systemBusAddress)
    : handler_(std::make_shared<Handler>(std::move(handler))) {
    thread_ = std::jthread([handler = std::weak_ptr(handler_), mainQueue = std::move(mainQueue),
                            logger = std::move(logger), busAddress = std::move(systemBusAddress),
                            &stopWakeUp = stopWakeUp_](const std::stop_token& stop) {
        // Outlives the bus connection, whose callbacks point at it.
        Listener listener{handler, mainQueue, logger};
        watch(listener, busAddress, stopWakeUp, stop);
    });
}

BluezDisconnectWatch::~BluezDisconnectWatch() {
    thread_.request_stop();
    stopWakeUp_.signal();
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace tonvera
