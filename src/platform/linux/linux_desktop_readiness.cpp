#include "platform/linux/linux_desktop_readiness.h"

#include <cstdlib>
#include <memory>
#include <string>

#include <systemd/sd-bus.h>
#include <xcb/xcb.h>

#include "platform/linux/pulse_connection.h"

namespace tonvera {
namespace {

struct BusDeleter {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using BusPtr = std::unique_ptr<sd_bus, BusDeleter>;

struct XcbDeleter {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

template <typename Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

BusPtr openBus(bool system, std::chrono::milliseconds bound) {
    sd_bus* raw = nullptr;
    if ((system ? sd_bus_open_system(&raw) : sd_bus_open_user(&raw)) < 0) {
        return nullptr;
    }
    BusPtr bus(raw);
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(bound);
    sd_bus_set_method_call_timeout(bus.get(), static_cast<std::uint64_t>(micros.count()));
    return bus;
}

}  // namespace

bool LinuxDesktopReadiness::trayHostPresent() {
    return statusNotifierHostRegistered() || xembedTrayOwned();
}

bool LinuxDesktopReadiness::statusNotifierHostRegistered() const {
    const BusPtr bus = openBus(false, options_.bound);
    if (!bus) {
        return false;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int registered = 0;
    const int result =
        sd_bus_get_property_trivial(bus.get(), "org.kde.StatusNotifierWatcher",
                                    "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher",
                                    "IsStatusNotifierHostRegistered", &error, 'b', &registered);
    sd_bus_error_free(&error);
    return result >= 0 && registered != 0;
}

bool LinuxDesktopReadiness::xembedTrayOwned() {
    int screen = 0;
    // An X server answers at once or refuses the connection; without one (Wayland only) there
    // is no XEmbed tray either.
    const std::unique_ptr<xcb_connection_t, XcbDeleter> connection(xcb_connect(nullptr, &screen));
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
    const BusPtr bus = openBus(true, options_.bound);
    if (!bus) {
        return false;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const int result =
        sd_bus_call_method(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus.Peer", "Ping", &error, &reply, "");
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return result >= 0;
}

}  // namespace tonvera
