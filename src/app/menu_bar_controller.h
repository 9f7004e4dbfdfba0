#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_environment.h"
#include "platform/logger.h"
#include "reconnect/reconnect_orchestrator.h"
#include "selection/accessibility_helper.h"
#include "settings/subscription.h"

namespace tonvera {

// The application's item in the tray: its menu, the actions behind the menu, the alerts they
// raise, and the Settings window, which it opens and keeps. The menu has no state of its own;
// it is rebuilt from the settings after every change. Main thread only.
class MenuBarController : public std::enable_shared_from_this<MenuBarController> {
  public:
    // Makes the controller, sets up the status item and follows the settings.
    static std::shared_ptr<MenuBarController> create(
        std::shared_ptr<AppSettings> settings, std::shared_ptr<ReconnectOrchestrator> orchestrator,
        const AppEnvironment& environment);

    MenuBarController(const MenuBarController&) = delete;
    MenuBarController& operator=(const MenuBarController&) = delete;

    // Set by the application after construction; an empty callback makes its entry do nothing.
    std::function<void()> onShowOnboarding;
    std::function<void()> onCheckUpdates;

    // The menu's actions.
    void connectNow();
    void findDevices();
    void toggleWake();
    void toggleLogin();
    void openAccessibility();
    void openSettings();
    void showOnboarding() const;
    void checkUpdates() const;
    void quit();

    // The Settings window while one exists.
    const std::shared_ptr<HostedWindow>& settingsWindow() const { return settingsWindow_; }

  private:
    struct Private {};

  public:
    MenuBarController(Private, std::shared_ptr<AppSettings> settings,
                      std::shared_ptr<ReconnectOrchestrator> orchestrator,
                      const AppEnvironment& environment);

  private:
    void setupStatusItem();
    void buildMenu();
    MenuModel menuModel();
    void showDevicesAlert(const std::vector<std::string>& devices);
    void showDiscoveryError(const std::string& description);
    std::string text(const LocalizedText& localizedText) const;

    std::shared_ptr<StatusItem> statusItem_;
    std::shared_ptr<HostedWindow> settingsWindow_;
    std::shared_ptr<AppSettings> settings_;
    std::shared_ptr<ReconnectOrchestrator> orchestrator_;
    Logger logger_;
    std::vector<Subscription> cancellables_;
    AppEnvironment environment_;
    AccessibilityHelper helper_;
};

}  // namespace tonvera
