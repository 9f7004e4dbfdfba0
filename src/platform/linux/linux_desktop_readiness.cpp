#include "platform/linux/linux_desktop_readiness.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <utility>

#include <systemd/sd-bus.h>
#include <xcb/xcb.h>

#include "platform/linux/bounded_bus_call.h"
#include "platform/linux/environment_lock.h"
#include "platform/linux/pulse_connection.h"
#include "platform/linux/sd_bus_handles.h"

namespace tonvera {
namespace {

using sd_bus_handles::BusPtr;
using sd_bus_handles::MessagePtr;

struct XcbDeleter {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

template <typename Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

// A method call on a fresh connection to the bus at `address` (the session's or the system's
// own when none is given); nothing when the bus cannot be reached.
std::pair<BusPtr, MessagePtr> newCall(const std::optional<std::string>& address, bool system,
                                      const char* destination, const char* path,
                                      const char* interface, const char* member) {
    BusPtr bus;
    sd_bus_message* call = nullptr;
    if (sd_bus_handles::openBus(address, system, bus) < 0 ||
        sd_bus_message_new_method_call(bus.get(), &call, destination, path, interface, member) <
            0) {
        return {};
    }
    return {std::move(bus), MessagePtr(call)};
}

// The answer to `call` before `deadline`; null when the bus refuses, fails or stays silent
// until then.
MessagePtr answerBefore(sd_bus* bus, sd_bus_message* call,
                        std::chrono::steady_clock::time_point deadline) {
    BusAnswer answer = callBefore(bus, call, deadline);
    return answer.status == BusAnswer::Status::answered &&
                   sd_bus_message_is_method_error(answer.reply.get(), nullptr) == 0
               ? std::move(answer.reply)
               : nullptr;
}

}  // namespace

bool LinuxDesktopReadiness::trayHostPresent() {
    return statusNotifierHostRegistered() || xembedTrayOwned();
}

bool LinuxDesktopReadiness::statusNotifierHostRegistered() const {
    constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
    const auto deadline = std::chrono::steady_clock::now() + options_.bound;
    const auto [bus, call] = newCall(options_.sessionBus, false, kWatcher, "/StatusNotifierWatcher",
                                     "org.freedesktop.DBus.Properties", "Get");
    if (!call ||
        sd_bus_message_append(call.get(), "ss", kWatcher, "IsStatusNotifierHostRegistered") < 0) {
        return false;
    }
    const MessagePtr reply = answerBefore(bus.get(), call.get(), deadline);
    int registered = 0;
    return reply && sd_bus_message_read(reply.get(), "v", "b", &registered) > 0 && registered != 0;
}

bool LinuxDesktopReadiness::xembedTrayOwned() {
    int screen = 0;
    // An X server answers at once or refuses the connection; without one (Wayland only) there
    // is no XEmbed tray either. The display's name and key come from the environment.
    std::shared_lock environment(environmentLock());
    const std::unique_ptr<xcb_connection_t, XcbDeleter> connection(xcb_connect(nullptr, &screen));
    environment.unlock();
    if (!connection || xcb_connection_has_error(connection.get()) != 0) {
        return false;
    }
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    const XcbReply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(
            connection.get(),
            xcb_intern_atom(connection.get(), 1, static_cast<std::uint16_t>(name.size()),
                            name.c_str()),
            nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE) {
        return false;
    }
    const XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(
            connection.get(), xcb_get_selection_owner(connection.get(), atom->atom), nullptr),
        &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

bool LinuxDesktopReadiness::soundServerAnswers() {
    try {
        const PulseConnection connection(options_.soundServer, options_.bound);
        return connection.isReady();
    } catch (const PulseError&) {
        return false;
    }
}

bool LinuxDesktopReadiness::systemBusReachable() {
    const auto deadline = std::chrono::steady_clock::now() + options_.bound;
    const auto [bus, call] = newCall(options_.systemBus, true, "org.freedesktop.DBus",
                                     "/org/freedesktop/DBus", "org.freedesktop.DBus.Peer", "Ping");
    return call && answerBefore(bus.get(), call.get(), deadline) != nullptr;
}

}  // namespace tonvera
