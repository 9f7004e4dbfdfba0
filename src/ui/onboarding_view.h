#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/logger.h"
#include "platform/window_host.h"
#include "reconnect/reconnect_orchestrator.h"
#include "selection/accessibility_helper.h"
#include "settings/app_settings.h"
#include "settings/observer_list.h"
#include "ui/onboarding_texts.h"
#include "ui/readiness_check.h"
#include "ui/status_line.h"
#include "ui/view_services.h"

namespace tonvera {

// The state and operations of the onboarding window: three steps (welcome, permission,
// speaker), the permission polling while the window is on screen, the Sound-item check,
// discovery, the test connection and completion. Everything here runs on the main thread;
// blocking work goes to the task runner and its results come back through the main queue.
// The window's widgets render this state and forward presses; they decide nothing.
class OnboardingView final : public WindowContent,
                             public std::enable_shared_from_this<OnboardingView> {
  public:
    enum Step : std::int64_t { welcome = 0, permission = 1, speaker = 2 };

    static constexpr std::chrono::seconds kPermissionPollInterval{1};
    static constexpr int kContentWidth = 560;
    static constexpr int kContentHeight = 540;

    static std::shared_ptr<OnboardingView> create(
        std::shared_ptr<AppSettings> settings,
        std::shared_ptr<ReconnectOrchestrator> orchestrator /* may be null */,
        std::function<void()> onFinish /* may be empty */, ViewServices services);

    // Title, size and style of the window that hosts the view.
    static WindowOptions windowOptions(const Localizer& localizer);

    ~OnboardingView() override;
    OnboardingView(const OnboardingView&) = delete;
    OnboardingView& operator=(const OnboardingView&) = delete;

    // The window came on screen: read the permission now and then once a second.
    void appeared();
    // The window left the screen (hidden or closed): stop the polling.
    void disappeared();
    // The window became the active one: the person may have changed the desktop meanwhile.
    void activated();

    // Navigation. Each refuses what its button would not offer at the moment.
    void nextStep();
    void previousStep();
    void completeOnboarding();

    void checkPermission();
    void checkSoundMenu();
    void startDiscovery();
    void testConnection();
    // "Apply" on a found output: that name, exactly, becomes the preferred output.
    void chooseDevice(const std::string& name);
    void openAccessibilitySettings();
    void openMenuBarSettings();
    void openSoundSettings();

    // Where the desktop's readiness replaces the permission (step 1 and its label), a fresh
    // look at it; it never holds up "Continue".
    bool showsReadiness() const { return readiness_ != nullptr; }
    void checkReadiness();
    // Absent before the first look ends, and where no readiness is shown.
    std::optional<ReadinessReport> readinessReport() const;
    bool isCheckingReadiness() const { return readiness_ && readiness_->isChecking(); }
    const ReadinessTexts& readinessTexts() const { return readinessTexts_; }

    // The controls bound to the settings; each change is stored at once.
    void setConnectOnWake(bool on);
    void setConnectAtLogin(bool on);
    void setDeviceName(const std::string& name);

    // State.
    std::int64_t currentStep() const { return currentStep_; }
    // The page the step shows: any value but 1 and 2 shows the welcome page.
    Step shownPage() const;
    bool permissionGranted() const { return permissionGranted_; }
    const std::vector<std::string>& availableDevices() const { return availableDevices_; }
    bool isDiscovering() const { return isDiscovering_; }
    bool isConnecting() const { return isConnecting_; }
    const std::optional<std::string>& statusMessage() const { return statusMessage_; }
    // What the speaker page's status line shows. Where the desktop's readiness is shown, a
    // discovery error stays out of it while the Sound-item card already says that the sound
    // server is missing (or the look that would tell still runs): one cause, shown once.
    std::optional<StatusLine> statusLine() const;
    std::optional<bool> soundMenuFound() const { return soundMenuFound_; }
    bool isCheckingSoundMenu() const { return checkingSoundMenu_; }
    // The picture of where the Sound item is switched on shows another system's menu bar; a
    // desktop with a sound server in its place has nothing to picture.
    bool showsSoundItemPicture() const { return !showsReadiness(); }
    bool isPolling() const { return polling_; }
    std::string deviceName() const { return settings_->deviceName(); }
    bool connectOnWake() const { return settings_->connectOnWake(); }
    bool connectAtLogin() const { return settings_->connectAtLogin(); }
    const OnboardingTexts& texts() const { return texts_; }

    // What the frame and the pages offer.
    bool showsBack() const { return currentStep_ >= 1; }
    bool showsDone() const { return currentStep_ > 1; }
    bool canContinue() const;
    bool canFinish() const;
    bool canTest() const;
    bool canSearch() const { return !isDiscovering_; }
    // Whether `name` is the current preferred output: exact, case-sensitive, untrimmed.
    bool isChosen(const std::string& name) const;

    // Calls `observer` after every change of the state or of a setting the window shows.
    Subscription observeChanges(std::function<void()> observer);

  private:
    OnboardingView(std::shared_ptr<AppSettings> settings,
                   std::shared_ptr<ReconnectOrchestrator> orchestrator,
                   std::function<void()> onFinish, ViewServices services);

    void setCurrentStep(std::int64_t step);
    void setStatus(std::string text, StatusKind kind);
    void setPermissionGranted(bool granted);
    void scheduleNextPoll(std::uint64_t generation);
    void observeSettings();
    void changed();
    std::string localized(const LocalizedText& text) const;
    bool hasUsableName() const;

    std::shared_ptr<AppSettings> settings_;
    std::shared_ptr<ReconnectOrchestrator> orchestrator_;
    std::function<void()> onFinish_;
    ViewServices services_;
    AccessibilityHelper helper_;
    Logger logger_;
    OnboardingTexts texts_;
    ReadinessTexts readinessTexts_;
    std::unique_ptr<ReadinessCheck> readiness_;

    std::int64_t currentStep_ = welcome;
    bool permissionGranted_ = false;
    std::vector<std::string> availableDevices_;
    bool isDiscovering_ = false;
    bool isConnecting_ = false;
    std::optional<std::string> statusMessage_;
    StatusKind statusKind_ = StatusKind::notice;
    std::optional<bool> soundMenuFound_;
    bool checkingSoundMenu_ = false;

    // The polling timer: a tick runs only while `polling_` holds and its generation is the
    // current one, so a stopped timer never fires again.
    bool polling_ = false;
    std::uint64_t pollGeneration_ = 0;
    // Only the newest Sound-item check may set its result.
    std::uint64_t soundCheckGeneration_ = 0;

    ObserverList<> observers_;
    Subscription settingsSubscription_;
};

}  // namespace tonvera
