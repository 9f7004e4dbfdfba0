#include "ui/settings_view.h"

#include <exception>
#include <utility>
#include <variant>

#include "platform/task_runner.h"
#include "selection/error_description.h"
#include "ui/settings_redraw.h"
#include "ui/text_format.h"

namespace tonvera {

std::shared_ptr<SettingsView> SettingsView::create(
    std::shared_ptr<AppSettings> settings, std::shared_ptr<ReconnectOrchestrator> orchestrator,
    std::function<void()> onCheckUpdates, ViewServices services) {
    std::shared_ptr<SettingsView> view(
        new SettingsView(std::move(settings), std::move(orchestrator), std::move(onCheckUpdates),
                         std::move(services)));
    view->watchSettings();
    return view;
}

WindowOptions SettingsView::windowOptions() {
    return WindowOptions{
        .title = "Tonvera",
        .closable = true,
        .miniaturizable = true,
        .resizable = false,
        .contentWidth = 480,
        .contentHeight = 600,
    };
}

SettingsView::SettingsView(std::shared_ptr<AppSettings> settings,
                           std::shared_ptr<ReconnectOrchestrator> orchestrator,
                           std::function<void()> onCheckUpdates, ViewServices services)
    : settings_(std::move(settings)),
      orchestrator_(std::move(orchestrator)),
      onCheckUpdates_(std::move(onCheckUpdates)),
      services_(std::move(services)),
      helper_(services_.selectors.makeHelper()) {
    texts_ = SettingsTexts{
        .appName = localized(TONVERA_TRANSLATE("Tonvera", "Tonvera", "")),
        .tagline = localized(TONVERA_TRANSLATE("Tonvera", "Menu bar app • auto reconnect", "")),
        .deviceHeading = localized(TONVERA_TRANSLATE("Tonvera", "Preferred audio output:", "")),
        .devicePlaceholder = localized(TONVERA_TRANSLATE("Tonvera", "e.g. Office", "")),
        .connectNow = localized(TONVERA_TRANSLATE("Tonvera", "Connect now", "")),
        .connectOnWake =
            localized(TONVERA_TRANSLATE("Tonvera", "Connect automatically on wake", "")),
        .connectAtLogin =
            localized(TONVERA_TRANSLATE("Tonvera", "Connect automatically at login", "")),
        .launchAtLogin = localized(TONVERA_TRANSLATE("Tonvera", "Open at Mac startup", "")),
        .connectWhenSpeakerAppears = localized(TONVERA_TRANSLATE(
            "Tonvera", "Switch to the speaker whenever it appears", "Settings: follow speaker")),
        .notifyWhenSpeakerStaysAway = localized(TONVERA_TRANSLATE(
            "Tonvera", "Tell me when the speaker stays away", "Settings: stays-away notice")),
        .findDevices = localized(TONVERA_TRANSLATE("Tonvera", "Find AirPlay devices", "")),
        .availableOutputs = localized(TONVERA_TRANSLATE("Tonvera", "Available outputs:", "")),
        .use = localized(TONVERA_TRANSLATE("Tonvera", "Use", "")),
        .checkForUpdates = localized(TONVERA_TRANSLATE("Tonvera", "Check for Updates", "")),
        .openAccessibilitySettings =
            localized(TONVERA_TRANSLATE("Tonvera", "Open Accessibility Settings", "")),
        .quit = localized(TONVERA_TRANSLATE("Tonvera", "Quit", "")),
    };
    if (services_.readiness) {
        readinessTexts_ = ReadinessTexts::load(*services_.localizer);
        readiness_ = std::make_unique<ReadinessCheck>(services_.readiness, services_.tasks,
                                                      services_.mainQueue, [this] { changed(); });
    }
}

void SettingsView::watchSettings() {
    settingsWatch_ =
        redrawAfterSettingsChange(*settings_, services_.mainQueue, [weak = weak_from_this()] {
            if (const auto view = weak.lock()) {
                view->changed();
            }
        });
}

void SettingsView::windowShown() {
    if (orchestrator_) {
        orchestrator_->updateRetryDelays(settings_->retryDelays());
    }
    windowActivated();
}

void SettingsView::windowActivated() {
    if (readiness_) {
        readiness_->recheck();
    }
}

void SettingsView::startConnect() {
    if (isConnecting_) {
        return;
    }
    const std::string name = settings_->deviceName();
    isConnecting_ = true;
    statusMessage_ = formatText(
        localized(TONVERA_TRANSLATE("Tonvera", "Connecting to %@…", "Settings: connect status")),
        {name});
    changed();

    const auto finish = [weak = weak_from_this()] {
        if (const auto self = weak.lock()) {
            self->finishConnect();
        }
    };
    if (orchestrator_) {
        // The run is not tied to the window: closing it must not cancel a started reconnect.
        const bool queued = submitWithCompletion(
            *services_.tasks, services_.mainQueue,
            [orchestrator = orchestrator_, name](const std::stop_token& stop) {
                orchestrator->reconnect(name, stop);
                return std::monostate{};
            },
            [finish](const TaskOutcome<std::monostate>&) { finish(); });
        if (queued) {
            return;
        }
    }
    services_.mainQueue->post(finish);
}

void SettingsView::finishConnect() {
    isConnecting_ = false;
    statusMessage_ = localized(
        TONVERA_TRANSLATE("Tonvera", "Done — see log for details.", "Settings: connect done"));
    // Clears whatever the line shows by then, also a discovery message set meanwhile.
    services_.mainQueue->postAfter(kStatusClearDelay, [weak = weak_from_this()] {
        if (const auto self = weak.lock()) {
            self->clearStatus();
        }
    });
    changed();
}

void SettingsView::clearStatus() {
    statusMessage_.reset();
    changed();
}

void SettingsView::startDiscovery() {
    // The button is disabled meanwhile; two overlapping discoveries would mix their answers.
    if (isDiscovering_) {
        return;
    }
    isDiscovering_ = true;
    availableDevices_.clear();
    changed();

    const bool queued = submitWithCompletion(
        *services_.tasks, services_.mainQueue,
        [selectors = services_.selectors](const std::stop_token& stop) {
            return discoverOutputs(selectors, stop);
        },
        [weak = weak_from_this()](const TaskOutcome<OutputDiscovery>& outcome) {
            if (const auto self = weak.lock()) {
                self->finishDiscovery(outcome);
            }
        });
    if (!queued) {
        isDiscovering_ = false;
        changed();
    }
}

void SettingsView::finishDiscovery(const TaskOutcome<OutputDiscovery>& outcome) {
    isDiscovering_ = false;
    if (outcome.succeeded()) {
        availableDevices_ = outcome.value().names();
        // Only the native route's empty answer is news; an empty script answer says nothing.
        if (availableDevices_.empty() && outcome.value().fromNative) {
            statusMessage_ =
                localized(TONVERA_TRANSLATE("Tonvera", "No devices found. Enter the name manually.",
                                            "Settings: discovery empty"));
        }
    } else {
        statusMessage_ = formatText(
            localized(TONVERA_TRANSLATE("Tonvera", "Error: %@", "Settings: discovery error")),
            {describeError(outcome.error())});
    }
    changed();
}

void SettingsView::useDevice(const std::string& name) {
    settings_->setDeviceName(name);
}

void SettingsView::checkForUpdates() {
    if (onCheckUpdates_) {
        onCheckUpdates_();
    }
}

void SettingsView::openSettingsPane() {
    // Opening a settings panel starts a desktop tool; that wait belongs off the main thread.
    if (readiness_) {
        services_.tasks->submit(
            [workspace = services_.selectors.workspace](const std::stop_token&) {
                static_cast<void>(workspace->openURL(kSoundSettingsAddress));
            });
        return;
    }
    services_.tasks->submit(
        [helper = helper_](const std::stop_token&) { helper.openAccessibilitySettings(); });
}

void SettingsView::quit() {
    services_.application->terminate();
}

void SettingsView::setDeviceName(const std::string& name) {
    settings_->setDeviceName(name);
}

void SettingsView::setConnectOnWake(bool on) {
    settings_->setConnectOnWake(on);
}

void SettingsView::setConnectAtLogin(bool on) {
    settings_->setConnectAtLogin(on);
}

void SettingsView::setLaunchAtLogin(bool on) {
    // The login item itself follows through the delegate's watch on this setting.
    settings_->setLaunchAtLogin(on);
}

void SettingsView::setConnectWhenSpeakerAppears(bool on) {
    settings_->setConnectWhenSpeakerAppears(on);
}

void SettingsView::setNotifyWhenSpeakerStaysAway(bool on) {
    settings_->setNotifyWhenSpeakerStaysAway(on);
}

SettingsView::Badge SettingsView::badge() const {
    if (!readiness_) {
        return helper_.isTrusted()
                   ? Badge{localized(TONVERA_TRANSLATE("Tonvera", "Permission granted", "")),
                           Tone::success}
                   : Badge{localized(TONVERA_TRANSLATE("Tonvera", "Permission missing", "")),
                           Tone::warning};
    }
    const auto& report = readiness_->report();
    if (!report) {
        return {readinessTexts_.checking, Tone::pending};
    }
    // The part whose absence costs the most is named first: without the sound server nothing
    // can be switched at all.
    if (!report->soundServer) {
        return {readinessTexts_.badgeSoundMissing, Tone::warning};
    }
    if (!report->systemBus) {
        return {readinessTexts_.badgeWakeMissing, Tone::warning};
    }
    if (!report->trayHost) {
        return {readinessTexts_.badgeTrayMissing, Tone::warning};
    }
    return {readinessTexts_.badgeReady, Tone::success};
}

std::string SettingsView::discoveryHint() const {
    if (readiness_) {
        const auto& report = readiness_->report();
        return report && !report->soundServer ? readinessTexts_.badgeSoundMissing : std::string();
    }
    return helper_.isTrusted()
               ? std::string()
               : localized(TONVERA_TRANSLATE("Tonvera", "Accessibility permission required", ""));
}

std::string SettingsView::versionText() const {
    return formatText(localized(TONVERA_TRANSLATE("Tonvera", "Version %@", "Settings: version")),
                      {services_.currentVersion});
}

std::string SettingsView::deviceRowText(const std::string& name) const {
    return formatText(localized(TONVERA_TRANSLATE("Tonvera", "• %@", "")), {name});
}

Subscription SettingsView::observeChanges(std::function<void()> observer) {
    return changes_.add(std::move(observer));
}

std::string SettingsView::localized(const LocalizedText& text) const {
    return services_.localizer->localized(text);
}

void SettingsView::changed() {
    changes_.notify();
}

}  // namespace tonvera
