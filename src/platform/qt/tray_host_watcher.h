#pragma once

#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/logger.h"
#include "platform/qt/xembed_tray.h"
#include "platform/status_notifier_host.h"

namespace tonvera {

class QtStatusItem;

// Puts the status item into the desktop's tray as news about the panels arrives. Main thread.
//
// Qt 6.4 chooses its kind of tray once per process, when the first tray icon is made: over
// D-Bus if a StatusNotifier watcher answers that a host is registered, otherwise an XEmbed
// icon with a menu Qt draws itself; a later panel cannot change that choice. Qt asks the
// session bus synchronously, and on a bus that never answers it waits forever. So no icon is
// made while the bus is silent, nor while no panel could show one: the first icon waits for a
// StatusNotifier host or, under X11, an XEmbed tray. A host that comes back gets a fresh icon.
// The menu's texts are spelt for the kind Qt chose.
class TrayHostWatcher {
  public:
    enum class Kind { none, statusNotifier, xembed };

    // `xembedTrayRuns` says whether an XEmbed system tray runs; by default the X server says.
    TrayHostWatcher(std::shared_ptr<QtStatusItem> item, Logger logger,
                    std::function<bool()> xembedTrayRuns = &TrayHostWatcher::xembedTrayRuns);

    TrayHostWatcher(const TrayHostWatcher&) = delete;
    TrayHostWatcher& operator=(const TrayHostWatcher&) = delete;

    void hostChanged(StatusNotifierHost host);

    Kind kind() const { return kind_; }

    // Whether an XEmbed system tray owns the X display's tray selection; false without X11.
    static bool xembedTrayRuns();

    // How long to wait for the next look for an XEmbed tray after a wait of `previous` (zero
    // before the first): soon at first, as panels start beside us at login, then less and
    // less often, never more than about a minute.
    static std::chrono::milliseconds nextXEmbedLook(std::chrono::milliseconds previous);

  private:
    void tryXEmbed();
    // Logs `text` unless it was the last thing said.
    void say(std::string_view text);

    std::shared_ptr<QtStatusItem> item_;
    Logger logger_;
    std::function<bool()> xembedTrayRuns_;
    Kind kind_ = Kind::none;
    StatusNotifierHost host_ = StatusNotifierHost::busSilent;
    std::string said_;
    QTimer xembedRetry_;
    // While the icon sits in an XEmbed tray: the panel's colour for it.
    std::unique_ptr<XEmbedTray> xembedTray_;
};

}  // namespace tonvera
