#pragma once

#include <string>

#include "platform/status_item.h"

namespace tonvera::testing {

// Keeps the last menu and looks; `hasSymbols` decides whether images can be shown.
class RecordingStatusItem final : public StatusItem {
  public:
    explicit RecordingStatusItem(bool hasSymbols = true) : hasSymbols_(hasSymbols) {}

    bool setSymbolImage(std::string_view symbolName, std::string_view describedAs) override {
        if (!hasSymbols_) {
            return false;
        }
        symbol = symbolName;
        accessibilityDescription = describedAs;
        return true;
    }
    void setTitle(std::string_view text) override { title = text; }
    void setToolTip(std::string_view text) override { toolTip = text; }
    void setMenu(MenuModel model) override {
        menu = std::move(model);
        ++menuCount;
    }

    // Runs the action of the first entry titled `text`; false when there is none.
    bool choose(const std::string& text) const {
        for (const auto& item : menu) {
            if (!item.separator && item.title == text && item.action) {
                item.action();
                return true;
            }
        }
        return false;
    }

    std::string symbol;
    std::string accessibilityDescription;
    std::string title;
    std::string toolTip;
    MenuModel menu;
    int menuCount = 0;

  private:
    bool hasSymbols_;
};

}  // namespace tonvera::testing
