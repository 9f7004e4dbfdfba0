#include "platform/qt/xembed_tray.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace tonvera {
namespace {

template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

// Qt's connection to the X server, or nullptr without one.
xcb_connection_t* x11Connection() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr && x11->display() != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, std::string_view name) {
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data()),
            nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace

std::uint32_t XEmbedTray::manager() {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) {
        return XCB_WINDOW_NONE;
    }
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    const xcb_atom_t selection =
        atom(connection, "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(x11->display())));
    if (selection == XCB_ATOM_NONE) {
        return XCB_WINDOW_NONE;
    }
    const XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection),
                                      nullptr),
        &std::free);
    return owner ? owner->owner : xcb_window_t{XCB_WINDOW_NONE};
}

XEmbedTray::XEmbedTray(std::function<void(std::optional<QColor>)> onChange)
    : onChange_(std::move(onChange)) {
    if (xcb_connection_t* connection = x11Connection()) {
        colorsAtom_ = atom(connection, "_NET_SYSTEM_TRAY_COLORS");
        managerAtom_ = atom(connection, "MANAGER");
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    follow();
}

XEmbedTray::~XEmbedTray() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

void XEmbedTray::follow() {
    manager_ = manager();
    xcb_connection_t* connection = x11Connection();
    if (connection != nullptr && manager_ != XCB_WINDOW_NONE) {
        // Only this connection's interest in the panel's window: the panel itself is untouched.
        // It replaces what Qt's tray icon asked for, the manager's end, so that stays in.
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, manager_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
    }
    onChange_(foreground());
}

bool XEmbedTray::nativeEventFilter(const QByteArray& eventType, void* message,
                                   qintptr* /*result*/) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & ~0x80U) {
        case XCB_PROPERTY_NOTIFY: {
            const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
            if (change->window == manager_ && change->atom == colorsAtom_) {
                onChange_(foreground());
            }
            break;
        }
        case XCB_CLIENT_MESSAGE:
            // A panel announces that it took over a tray selection (a panel restarted). Qt's
            // tray icon moves there first, and asks for the new manager's events anew.
            if (static_cast<const xcb_client_message_event_t*>(message)->type == managerAtom_) {
                QTimer::singleShot(0, &context_, [this] { follow(); });
            }
            break;
        default:
            break;
    }
    return false;  // Qt goes on handling it
}

std::optional<QColor> XEmbedTray::foreground() const {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr || colorsAtom_ == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    // Twelve cardinals: the foreground's, then the error, warning and success colours' red,
    // green and blue, each from 0 to 65535.
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, manager_, colorsAtom_, XCB_ATOM_CARDINAL, 0, 12),
            nullptr),
        &std::free);
    if (!reply || reply->format != 32 || reply->value_len < 3) {
        return std::nullopt;
    }
    const auto* rgb = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    QColor colour;
    colour.setRgbF(static_cast<float>(rgb[0]) / 65535.0F, static_cast<float>(rgb[1]) / 65535.0F,
                   static_cast<float>(rgb[2]) / 65535.0F);
    return colour;
}

}  // namespace tonvera
