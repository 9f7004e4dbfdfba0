#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_environment.h"
#include "app/menu_bar_controller.h"
#include "platform/logger.h"
#include "reconnect/reconnect_orchestrator.h"
#include "reconnect/speaker_follower.h"
#include "reconnect/wake_monitor.h"
#include "selection/accessibility_helper.h"
#include "settings/subscription.h"
#include "update/update_check_result.h"

namespace tonvera {

// The application's spine: creates and owns every long-lived object, decides at start-up
// whether to show the onboarding window, keeps the login item in line with the user's wish,
// asks the launch-at-login question once, reconnects after login, checks for updates and
// presents the results, and reacts to a second start and to termination. Main thread only.
class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
  public:
    static std::shared_ptr<AppDelegate> create(AppEnvironment environment);

    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // The start-up sequence; later steps are scheduled on the main queue.
    void applicationDidFinishLaunching();
    // Stops the wake monitor and says goodbye in the log.
    void applicationWillTerminate();
    // A second start of the application: onboarding until it is done, then Settings. Always
    // false: there is no default handling.
    bool applicationShouldHandleReopen();

    void showOnboarding();
    void finishOnboarding();
    // Brings the login item in line with `launchAtLogin` (or with `wanted`, during a change).
    void syncLoginItem();
    void syncLoginItem(bool wanted);
    void askLaunchAtLogin();
    void checkForUpdates(bool silent);
    // A reconnect asked for from outside (the command line): selects `name`, or the preferred
    // output when nothing is given, on the task pool; `done` gets the name and the outcome on
    // the main thread. A run already under way refuses it, as the orchestrator does.
    void connectOnRequest(
        const std::optional<std::string>& name,
        const std::function<void(const std::string& name, const ReconnectResult& result)>& done);
    void presentUpdateResult(const UpdateCheckResult& result, bool silent);

    const std::shared_ptr<ReconnectOrchestrator>& orchestrator() const { return orchestrator_; }
    const std::shared_ptr<MenuBarController>& menuBarController() const {
        return menuBarController_;
    }
    const std::shared_ptr<HostedWindow>& onboardingWindow() const { return onboardingWindow_; }
    const std::shared_ptr<SpeakerFollower>& follower() const { return follower_; }

  private:
    struct Private {};

  public:
    AppDelegate(Private, AppEnvironment environment);

  private:
    std::string text(const LocalizedText& localizedText) const;
    void startReconnect() const;
    void reconnectAutomatically(Intent::Source source);
    void openDownload(const std::string& address);
    void tellSpeakerStayedAway(const std::string& speaker, const std::string& currentOutput,
                               bool bluetoothFailed);

    Logger logger_;
    std::shared_ptr<AppSettings> settings_;
    std::shared_ptr<WakeMonitor> wakeMonitor_;
    std::shared_ptr<MenuBarController> menuBarController_;
    std::shared_ptr<ReconnectOrchestrator> orchestrator_;
    std::shared_ptr<SpeakerFollower> follower_;
    std::shared_ptr<HostedWindow> onboardingWindow_;
    bool askingLaunchAtLogin_ = false;
    std::vector<Subscription> cancellables_;
    AccessibilityHelper helper_;
    AppEnvironment environment_;
};

}  // namespace tonvera
