#include "platform/qt/tray_host_watcher.h"

#include <algorithm>
#include <utility>

#include "platform/qt/qt_status_item.h"

namespace tonvera {
namespace {

// While no panel hosts the icon, how often to look for an XEmbed tray, which announces
// itself only to the root window: a desktop without any tray costs about one wakeup a minute.
constexpr std::chrono::seconds kXEmbedRetry{2};
constexpr std::chrono::seconds kXEmbedRetryLimit{64};

constexpr std::string_view kNoPanel =
    "Tray: no panel hosts the icon yet — Tonvera keeps restoring the speaker in the background; "
    "start it again to open its settings";

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
        xembedRetry_.start(nextXEmbedLook(xembedRetry_.isActive()
                                              ? xembedRetry_.intervalAsDuration()
                                              : std::chrono::milliseconds::zero()));
        return;
    }
    kind_ = Kind::xembed;
    xembedRetry_.stop();
    item_->showInTray(false);
    // Such a tray leaves the colours to its icons: ours takes the panel's text colour.
    xembedTray_ = std::make_unique<XEmbedTray>(
        [item = item_](std::optional<QColor> colour) { item->setPanelForeground(colour); });
    say("Tray: shown in the panel's system tray (XEmbed)");
}

void TrayHostWatcher::say(std::string_view text) {
    if (said_ != text) {
        said_ = text;
        logger_.info("{}", text);
    }
}

std::chrono::milliseconds TrayHostWatcher::nextXEmbedLook(std::chrono::milliseconds previous) {
    return previous == std::chrono::milliseconds::zero()
               ? std::chrono::milliseconds(kXEmbedRetry)
               : std::min(previous * 2, std::chrono::milliseconds(kXEmbedRetryLimit));
}

bool TrayHostWatcher::xembedTrayRuns() {
    return XEmbedTray::manager() != 0;
}

}  // namespace tonvera
