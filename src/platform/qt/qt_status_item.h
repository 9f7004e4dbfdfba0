#pragma once

#include <memory>

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

  private:
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    bool hasImage_ = false;
};

}  // namespace tonvera
