#pragma once

#include <QString>
#include <memory>
#include <string>

#include "platform/status_item.h"

class QMenu;
class QSystemTrayIcon;

namespace tonvera {

// The status item as a system tray icon with a context menu: shown through the
// StatusNotifierItem protocol where the desktop has a watcher, else the XEmbed tray.
class QtStatusItem final : public StatusItem {
  public:
    QtStatusItem();
    ~QtStatusItem() override;

    QtStatusItem(const QtStatusItem&) = delete;
    QtStatusItem& operator=(const QtStatusItem&) = delete;

    bool setSymbolImage(std::string_view symbolName,
                        std::string_view accessibilityDescription) override;
    void setTitle(std::string_view title) override;
    void setToolTip(std::string_view toolTip) override;
    void setMenu(MenuModel menu) override;

    // Whether the desktop offers a tray at all; without one the icon stays invisible.
    static bool isTrayAvailable();

    // A menu entry's text: shown exactly as given, never with an access key of its own. Over
    // D-Bus the panel reads underscores as access keys and Qt turns the first "&&" into "_&".
    static QString entryText(const std::string& title, bool overDBus);

  private:
    // The menu the panel shows: exported over D-Bus where a StatusNotifierWatcher runs.
    std::unique_ptr<QMenu> panelMenu_;
    // The menu a left click pops up; over D-Bus it needs Qt's own texts, so it is a second one.
    std::unique_ptr<QMenu> popupMenu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    bool overDBus_ = false;
    bool hasImage_ = false;
};

}  // namespace tonvera
