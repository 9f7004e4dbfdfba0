#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tonvera {

// One entry of a status item's menu: a separator, or a text with its state and action.
struct MenuItemModel {
    bool separator = false;
    std::string title;
    bool enabled = false;
    // A toggle shows a check mark while `checked`; other entries never show one.
    bool toggle = false;
    bool checked = false;
    // A single character pressed with the platform's command modifier; empty for none.
    std::string keyEquivalent;
    // Runs on the main thread when the entry is chosen; empty for entries without action.
    std::function<void()> action;

    static MenuItemModel makeSeparator() { return MenuItemModel{.separator = true}; }
};

using MenuModel = std::vector<MenuItemModel>;

// The application's item in the system's menu bar or tray, with its menu. Main thread only.
class StatusItem {
  public:
    virtual ~StatusItem() = default;

    // Shows the symbol named `symbolName` as a monochrome image that the panel may tint;
    // false when there is no such symbol or the tray cannot show images.
    virtual bool setSymbolImage(std::string_view symbolName,
                                std::string_view accessibilityDescription) = 0;

    // Shows `title` as text, where no image is shown.
    virtual void setTitle(std::string_view title) = 0;

    virtual void setToolTip(std::string_view toolTip) = 0;

    // Replaces the menu with `menu`, shown exactly as given (names are never markup).
    virtual void setMenu(MenuModel menu) = 0;
};

}  // namespace tonvera
