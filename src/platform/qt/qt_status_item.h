#pragma once

#include <QColor>
#include <QIcon>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "platform/status_item.h"

class QMenu;
class QSystemTrayIcon;

namespace tonvera {

// The status item as a system tray icon with a context menu. It keeps what it shows and
// touches neither the tray nor the session bus until showInTray(), which whoever follows the
// desktop's panels calls, again with a fresh icon when a panel comes back.
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

    // Shows the item in a fresh tray icon, its menu texts spelt for a panel that reads them
    // over D-Bus (`overDBus`) or for Qt's own menu.
    void showInTray(bool overDBus);
    bool overDBus() const { return overDBus_; }
    // The colour an XEmbed tray asks its icons to draw in; nothing for the desktop's text
    // colour.
    void setPanelForeground(std::optional<QColor> colour);
    // The current icon, or nullptr before showInTray().
    QSystemTrayIcon* trayIcon() const { return tray_.get(); }

    // A menu entry's text: shown exactly as given, never with an access key of its own. Over
    // D-Bus the panel reads underscores as access keys and Qt turns the first "&&" into "_&".
    static QString entryText(const std::string& title, bool overDBus);

  private:
    void refresh();
    void updateGlyph();
    void fillMenus();

    QIcon icon_;
    std::optional<QColor> panelForeground_;
    QString toolTip_;
    MenuModel menu_;
    // The menu the panel shows: exported over D-Bus where a StatusNotifierWatcher runs.
    std::unique_ptr<QMenu> panelMenu_;
    // The menu a left click pops up; over D-Bus it needs Qt's own texts, so it is a second one.
    std::unique_ptr<QMenu> popupMenu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    bool overDBus_ = false;
    bool hasImage_ = false;
};

}  // namespace tonvera
