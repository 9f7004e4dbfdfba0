#include "app/menu_bar_controller.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "platform/task_runner.h"
#include "selection/error_description.h"
#include "ui/settings_view.h"

namespace tonvera {
namespace {

// The picker offers at most this many devices as buttons; the text lists them all.
constexpr std::size_t kMaxDeviceButtons = 5;

}  // namespace

std::shared_ptr<MenuBarController> MenuBarController::create(
    std::shared_ptr<AppSettings> settings, std::shared_ptr<ReconnectOrchestrator> orchestrator,
    const AppEnvironment& environment) {
    auto controller = std::make_shared<MenuBarController>(Private{}, std::move(settings),
                                                          std::move(orchestrator), environment);
    controller->setupStatusItem();
    // The change signal comes before the change: rebuild one main-queue turn later, when the
    // settings hold the new value.
    const std::weak_ptr<MenuBarController> weak = controller;
    controller->cancellables_.push_back(controller->settings_->observeWillChange([weak] {
        if (const auto self = weak.lock()) {
            self->environment_.view.mainQueue->post([weak] {
                if (const auto alive = weak.lock()) {
                    alive->buildMenu();
                }
            });
        }
    }));
    return controller;
}

MenuBarController::MenuBarController(Private, std::shared_ptr<AppSettings> settings,
                                     std::shared_ptr<ReconnectOrchestrator> orchestrator,
                                     const AppEnvironment& environment)
    : statusItem_(environment.statusItem),
      settings_(std::move(settings)),
      orchestrator_(std::move(orchestrator)),
      logger_(makeAirPlayLogger(environment.view.logSink)),
      environment_(environment),
      helper_(environment.view.selectors.makeHelper()) {}

std::string MenuBarController::text(const LocalizedText& localizedText) const {
    return environment_.view.localizer->localized(localizedText);
}

void MenuBarController::setupStatusItem() {
    if (!statusItem_->setSymbolImage("airplay.audio", "AirPlay")) {
        statusItem_->setTitle("AirPlay");
    }
    statusItem_->setToolTip("Tonvera");
    buildMenu();
}

void MenuBarController::buildMenu() {
    statusItem_->setMenu(menuModel());
}

MenuModel MenuBarController::menuModel() {
    const std::weak_ptr<MenuBarController> weak = weak_from_this();
    const auto action = [weak](auto operation) {
        return [weak, operation] {
            if (const auto self = weak.lock()) {
                std::invoke(operation, *self);
            }
        };
    };
    const auto item = [&](const LocalizedText& title, auto operation,
                          const char* keyEquivalent = "") {
        return MenuItemModel{.title = text(title),
                             .enabled = true,
                             .keyEquivalent = keyEquivalent,
                             .action = action(operation)};
    };
    const auto label = [](std::string title) {
        return MenuItemModel{.title = std::move(title), .enabled = false};
    };
    const auto toggle = [&](const LocalizedText& title, auto operation, bool on) {
        MenuItemModel entry = item(title, operation);
        entry.toggle = true;
        entry.checked = on;
        return entry;
    };

    const std::string deviceName = settings_->deviceName();
    const std::string device =
        deviceName.empty()
            ? text(TONVERA_TRANSLATE("Tonvera", "(not configured)", "Menu: no device configured"))
            : deviceName;

    return {
        label("Tonvera"),
        MenuItemModel::makeSeparator(),
        label(text(TONVERA_TRANSLATE("Tonvera", "Output:", "Menu: output section header"))),
        label("✓ " + device),
        MenuItemModel::makeSeparator(),
        item(TONVERA_TRANSLATE("Tonvera", "Connect now", "Menu: connect immediately"),
             &MenuBarController::connectNow),
        //~ key menu.find_devices
        item(TONVERA_TRANSLATE("Tonvera", "Find AirPlay devices…", "Menu: discover devices"),
             &MenuBarController::findDevices),
        MenuItemModel::makeSeparator(),
        toggle(TONVERA_TRANSLATE("Tonvera", "Reconnect after sleep", "Menu: toggle wake reconnect"),
               &MenuBarController::toggleWake, settings_->connectOnWake()),
        toggle(TONVERA_TRANSLATE("Tonvera", "Connect at login", "Menu: toggle login connect"),
               &MenuBarController::toggleLogin, settings_->connectAtLogin()),
        MenuItemModel::makeSeparator(),
        //~ key menu.accessibility_settings
        item(TONVERA_TRANSLATE("Tonvera", "Open Accessibility Settings…",
                               "Menu: open accessibility settings"),
             &MenuBarController::openAccessibility),
        //~ key menu.open_settings
        item(TONVERA_TRANSLATE("Tonvera", "Open Settings…", "Menu: open settings"),
             &MenuBarController::openSettings, ","),
        item(TONVERA_TRANSLATE("Tonvera", "Show Welcome / Onboarding…", "Menu: show onboarding"),
             &MenuBarController::showOnboarding),
        //~ key menu.check_updates
        item(TONVERA_TRANSLATE("Tonvera", "Check for Updates…", "Menu: check for updates"),
             &MenuBarController::checkUpdates),
        MenuItemModel::makeSeparator(),
        item(TONVERA_TRANSLATE("Tonvera", "Quit Tonvera", "Menu: quit app"),
             &MenuBarController::quit, "q"),
    };
}

void MenuBarController::connectNow() {
    logger_.info("[AirPlay] Manual connect triggered for {}", settings_->deviceName());
    const std::weak_ptr<MenuBarController> weak = weak_from_this();
    // An earlier pick by hand no longer holds: the ranking decides again.
    const auto serves = askForRanking(orchestrator_->intent(), Intent::Source::connectNow);
    submitWithCompletion(
        *environment_.view.tasks, environment_.view.mainQueue,
        [settings = settings_, orchestrator = orchestrator_, serves](const std::stop_token& stop) {
            // Read again here: the name may have changed since the entry was chosen.
            orchestrator->reconnectBest(OutputRanking::of(*settings), stop, serves);
            return std::monostate{};
        },
        [weak](const TaskOutcome<std::monostate>&) {
            if (const auto self = weak.lock()) {
                self->buildMenu();
            }
        });
}

void MenuBarController::findDevices() {
    const std::weak_ptr<MenuBarController> weak = weak_from_this();
    submitWithCompletion(
        *environment_.view.tasks, environment_.view.mainQueue,
        [selector = environment_.view.selectors.makeNative()](std::stop_token stop) {
            return selector->discoverDevices(std::move(stop));
        },
        [weak](const TaskOutcome<std::vector<std::string>>& outcome) {
            const auto self = weak.lock();
            if (!self) {
                return;
            }
            if (outcome.succeeded()) {
                self->showDevicesAlert(outcome.value());
            } else {
                self->showDiscoveryError(describeError(outcome.error()));
            }
        });
}

void MenuBarController::showDevicesAlert(const std::vector<std::string>& devices) {
    if (devices.empty()) {
        environment_.alerts->runModal(AlertContent{
            .messageText = text(TONVERA_TRANSLATE("Tonvera", "No AirPlay devices found",
                                                  "Alert: no devices title")),
            .informativeText = text(TONVERA_TRANSLATE(
                "Tonvera",
                "The Sound menu contained no sound-device-* entries. Please check Wi-Fi/AirPlay "
                "or enter the name manually.",
                "Alert: no devices body")),
            .style = AlertStyle::warning,
        });
        return;
    }
    std::string list;
    for (const auto& device : devices) {
        list += (list.empty() ? "" : "\n") + device;
    }
    AlertContent alert{
        .messageText = text(
            TONVERA_TRANSLATE("Tonvera", "AirPlay devices found", "Alert: devices found title")),
        .informativeText =
            text(TONVERA_TRANSLATE("Tonvera", "Available outputs:", "Alert: devices list header")) +
            "\n" + list + "\n\n" +
            text(TONVERA_TRANSLATE("Tonvera", "Select a device to save it as the preferred output.",
                                   "Alert: devices picker hint")),
        .style = AlertStyle::informational,
    };
    const std::size_t buttons = std::min(devices.size(), kMaxDeviceButtons);
    alert.buttons.assign(devices.begin(), devices.begin() + static_cast<std::ptrdiff_t>(buttons));
    alert.buttons.push_back(text(TONVERA_TRANSLATE("Tonvera", "Cancel", "Alert button")));

    const int index = environment_.alerts->runModal(alert) - kAlertFirstButtonReturn;
    if (index < 0 || static_cast<std::size_t>(index) >= buttons) {
        return;
    }
    const std::string& picked = devices[static_cast<std::size_t>(index)];
    settings_->setDeviceName(picked);
    logger_.info("[AirPlay] User selected device via picker: {}", picked);
    buildMenu();
}

void MenuBarController::showDiscoveryError(const std::string& description) {
    const int answer = environment_.alerts->runModal(AlertContent{
        .messageText = text(TONVERA_TRANSLATE("Tonvera", "Could not find devices",
                                              "Alert: discovery failed title")),
        .informativeText = description + "\n\n" +
                           text(TONVERA_TRANSLATE("Tonvera",
                                                  "Please enter the device name manually in "
                                                  "Settings.",
                                                  "Alert: discovery failed body")),
        .style = AlertStyle::warning,
        .buttons = {text(TONVERA_TRANSLATE("Tonvera", "OK", "Alert button")),
                    text(TONVERA_TRANSLATE("Tonvera", "Open Settings", "Alert button"))},
    });
    if (answer == kAlertFirstButtonReturn + 1) {
        openSettings();
    }
}

void MenuBarController::toggleWake() {
    settings_->setConnectOnWake(!settings_->connectOnWake());
    logger_.info("[AirPlay] connectOnWake = {}", settings_->connectOnWake());
    buildMenu();
}

void MenuBarController::toggleLogin() {
    settings_->setConnectAtLogin(!settings_->connectAtLogin());
    logger_.info("[AirPlay] connectAtLogin = {}", settings_->connectAtLogin());
    buildMenu();
}

void MenuBarController::openAccessibility() {
    // Opening a settings pane starts a desktop program and may take a moment.
    environment_.view.tasks->submit(
        [helper = helper_](const std::stop_token&) { helper.openAccessibilitySettings(); });
}

void MenuBarController::showOnboarding() const {
    if (onShowOnboarding) {
        onShowOnboarding();
    }
}

void MenuBarController::checkUpdates() const {
    if (onCheckUpdates) {
        onCheckUpdates();
    }
}

void MenuBarController::quit() {
    environment_.view.application->terminate();
}

void MenuBarController::openSettings() {
    const auto& application = environment_.view.application;
    if (settingsWindow_ && settingsWindow_->isVisible()) {
        settingsWindow_->makeKeyAndOrderFront();
        application->activateIgnoringOtherApps();
        return;
    }
    const std::weak_ptr<MenuBarController> weak = weak_from_this();
    // The view reaches whatever update callback is installed when the button is pressed.
    auto view = SettingsView::create(
        settings_, orchestrator_,
        [weak] {
            if (const auto self = weak.lock()) {
                self->checkUpdates();
            }
        },
        environment_.view);
    auto window = environment_.windows->makeWindow(SettingsView::windowOptions(), std::move(view));
    window->makeKeyAndOrderFront();
    application->activateIgnoringOtherApps();
    settingsWindow_ = window;
    // Only this window's closing clears the field: an older, minimized one may close later.
    window->setWillCloseHandler([weak, closing = std::weak_ptr(window)] {
        if (const auto self = weak.lock(); self && isSameWindow(self->settingsWindow_, closing)) {
            self->settingsWindow_.reset();
        }
    });
}

}  // namespace tonvera
