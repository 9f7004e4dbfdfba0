#include "platform/qt/tray_host_watcher.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include "platform/qt/qt_status_item.h"

namespace tonvera {
namespace {

// While no panel hosts the icon, how often to look for an XEmbed tray, which announces
// itself only to the root window: soon at first, as panels start beside us at login, then
// less and less often, so a desktop without any tray costs about one wakeup a minute.
constexpr std::chrono::seconds kXEmbedRetry{2};
constexpr std::chrono::seconds kXEmbedRetryLimit{64};

constexpr std::string_view kNoPanel =
    "Tray: no panel hosts the icon yet — Tonvera keeps restoring the speaker in the background; "
    "start it again to open its settings";

template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

}  // namespace

TrayHostWatcher::TrayHostWatcher(std::shared_ptr<QtStatusItem> item, Logger logger,
                                 std::function<bool()> xembedTrayRuns)
    : item_(std::move(item)),
      logger_(std::move(logger)),
      xembedTrayRuns_(std::move(xembedTrayRuns)) {
    xembedRetry_.setInterval(kXEmbedRetry);
    QObject::connect(&xembedRetry_, &QTimer::timeout, [this] { tryXEmbed(); });
}

void TrayHostWatcher::hostChanged(StatusNotifierHost host) {
    host_ = host;
    if (host == StatusNotifierHost::present) {
        if (kind_ == Kind::xembed) {
            return;  // Qt keeps its XEmbed icon for good; the panel's XEmbed tray shows it
        }
        kind_ = Kind::statusNotifier;
        xembedRetry_.stop();
        item_->showInTray(true);
        say("Tray: shown through the panel's StatusNotifier host");
        return;
    }
    switch (kind_) {
        case Kind::statusNotifier:
            say("Tray: the panel's StatusNotifier host is gone — the icon comes back with it");
            return;
        case Kind::xembed:
            return;
        case Kind::none:
            break;
    }
    if (host == StatusNotifierHost::busSilent || host == StatusNotifierHost::watcherSilent) {
        xembedRetry_.stop();
        say(host == StatusNotifierHost::busSilent
                ? "Tray: the session bus does not answer — no tray icon until it does; Tonvera "
                  "keeps restoring the speaker in the background"
                : "Tray: the panel's StatusNotifier watcher does not answer — no tray icon until "
                  "it does; Tonvera keeps restoring the speaker in the background");
        return;
    }
    tryXEmbed();
}

void TrayHostWatcher::tryXEmbed() {
    const bool waiting = kind_ == Kind::none && (host_ == StatusNotifierHost::absent ||
                                                 host_ == StatusNotifierHost::withoutHost);
    if (!waiting) {
        xembedRetry_.stop();
        return;
    }
    if (!xembedTrayRuns_()) {
        say(kNoPanel);
        const auto next = xembedRetry_.isActive()
                              ? std::min(xembedRetry_.intervalAsDuration() * 2,
                                         std::chrono::milliseconds(kXEmbedRetryLimit))
                              : std::chrono::milliseconds(kXEmbedRetry);
        xembedRetry_.start(next);
        return;
    }
    kind_ = Kind::xembed;
    xembedRetry_.stop();
    item_->showInTray(false);
    say("Tray: shown in the panel's system tray (XEmbed)");
}

void TrayHostWatcher::say(std::string_view text) {
    if (said_ != text) {
        said_ = text;
        logger_.info("{}", text);
    }
}

bool TrayHostWatcher::xembedTrayRuns() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr || x11->display() == nullptr) {
        return false;
    }
    xcb_connection_t* connection = x11->connection();
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(x11->display()));
    const XcbReply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.c_str()),
            nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE) {
        return false;
    }
    const XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom),
                                      nullptr),
        &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

}  // namespace tonvera
