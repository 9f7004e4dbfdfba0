#include "platform/qt/tray_menu_position.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>

#include <xcb/xcb.h>

namespace tonvera {
namespace {

// A window thicker than this under the pointer is not a panel but something in front of it.
constexpr int kPanelThicknessLimit = 128;

template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

// The panel under the pointer: the top-level window there, where it is thin enough to be one.
std::optional<QRect> panelUnderPointer() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return std::nullopt;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const XcbReply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr),
        &std::free);
    if (!pointer || pointer->child == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    const XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, pointer->child), nullptr),
        &std::free);
    if (!geometry || std::min(geometry->width, geometry->height) > kPanelThicknessLimit) {
        return std::nullopt;
    }
    // Qt places menus in device-independent pixels; the X server counts device pixels.
    const qreal ratio = qGuiApp->devicePixelRatio();
    return QRect(QPoint(geometry->x, geometry->y) / ratio,
                 QSize(geometry->width, geometry->height) / ratio);
}

}  // namespace

QPoint besidePanel(const QRect& panel, QPoint click, QSize menu, const QRect& screen) {
    const auto along = [](int at, int length, int first, int last) {
        return std::clamp(at - length / 2, first, std::max(first, last - length + 1));
    };
    if (panel.width() >= panel.height()) {
        const bool top = panel.center().y() < screen.center().y();
        return {along(click.x(), menu.width(), screen.left(), screen.right()),
                top ? panel.bottom() + 1 : panel.top() - menu.height()};
    }
    const bool left = panel.center().x() < screen.center().x();
    return {left ? panel.right() + 1 : panel.left() - menu.width(),
            along(click.y(), menu.height(), screen.top(), screen.bottom())};
}

QPoint trayMenuPosition(QSize menu) {
    const QPoint click = QCursor::pos();
    const QScreen* screen = QGuiApplication::screenAt(click);
    const std::optional<QRect> panel = panelUnderPointer();
    if (screen == nullptr || !panel || !panel->contains(click)) {
        return click;
    }
    return besidePanel(*panel, click, menu, screen->geometry());
}

}  // namespace tonvera
