#include "app/app_delegate.h"

#include <chrono>
#include <utility>

#include "platform/task_runner.h"
#include "selection/error_description.h"
#include "ui/onboarding_view.h"
#include "ui/text_format.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;

constexpr auto kOnboardingDelay = 600ms;
constexpr auto kLaunchQuestionDelay = 1500ms;
constexpr auto kConnectAtLoginDelay = 2s;
constexpr auto kUpdateCheckDelay = 10s;
// How long the step after a given-up run waits for the sound server to list its outputs.
constexpr auto kOutputsReadWait = 2s;

// Overload set for std::visit.
template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace

std::shared_ptr<AppDelegate> AppDelegate::create(AppEnvironment environment) {
    return std::make_shared<AppDelegate>(Private{}, std::move(environment));
}

AppDelegate::AppDelegate(Private, AppEnvironment environment)
    : logger_(makeAirPlayLogger(environment.view.logSink)),
      settings_(environment.settings),
      helper_(environment.view.selectors.makeHelper()),
      environment_(std::move(environment)) {}

std::string AppDelegate::text(const LocalizedText& localizedText) const {
    return environment_.view.localizer->localized(localizedText);
}

void AppDelegate::applicationDidFinishLaunching() {
    const ViewServices& services = environment_.view;
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    const auto later = [&](std::chrono::nanoseconds delay, void (AppDelegate::*operation)()) {
        services.mainQueue->postAfter(delay, [weak, operation] {
            if (const auto self = weak.lock()) {
                ((*self).*operation)();
            }
        });
    };

    logger_.info("[AirPlay] App started");
    const OperatingSystemVersion system = environment_.systemInfo->operatingSystemVersion();
    logger_.info("[AirPlay] {} version: {}.{}.{}", system.name, system.major, system.minor,
                 system.patch);
    const bool trusted = helper_.isTrusted();
    logger_.info("[AirPlay] Accessibility permission: {}", trusted ? "granted" : "missing");
    if (!settings_->hasCompletedOnboarding()) {
        logger_.info("[AirPlay] Onboarding erforderlich — zeige Willkommens-Screen");
    }
    if (!trusted) {
        logger_.error(
            "[AirPlay] Accessibility permission missing — zeige Onboarding mit "
            "Berechtigungs-Schritt");
    }

    orchestrator_ = std::make_shared<ReconnectOrchestrator>(
        services.selectors.makeNative(), services.selectors.makeScript(),
        services.selectors.accessibility, services.clock, services.logSink,
        std::make_shared<SoundIntent>());
    services.mainQueue->post(
        [orchestrator = std::weak_ptr(orchestrator_), delays = settings_->retryDelays()] {
            if (const auto alive = orchestrator.lock()) {
                alive->updateRetryDelays(delays);
            }
        });

    menuBarController_ = MenuBarController::create(settings_, orchestrator_, environment_);
    menuBarController_->onShowOnboarding = [weak] {
        if (const auto self = weak.lock()) {
            self->showOnboarding();
        }
    };
    menuBarController_->onCheckUpdates = [weak] {
        if (const auto self = weak.lock()) {
            self->checkForUpdates(false);
        }
    };

    if (!settings_->hasCompletedOnboarding() || !helper_.isTrusted()) {
        later(kOnboardingDelay, &AppDelegate::showOnboarding);
    }

    cancellables_.push_back(settings_->observeLaunchAtLogin(
        [weak](const bool& wanted) {
            if (const auto self = weak.lock()) {
                self->syncLoginItem(wanted);
            }
        },
        Observation::skipCurrent));
    syncLoginItem();

    if (!settings_->launchAtLoginAsked() && settings_->hasCompletedOnboarding()) {
        later(kLaunchQuestionDelay, &AppDelegate::askLaunchAtLogin);
    }

    orchestrator_->setPresentOutputs([outputs = environment_.soundOutputs] {
        return outputs ? outputs->read(kOutputsReadWait) : SoundOutputs::List();
    });
    follower_ = SpeakerFollower::create(
        environment_.soundOutputs, settings_, orchestrator_, services.tasks, services.mainQueue,
        services.clock, services.logSink,
        BluetoothRecall::create(environment_.bluetooth, settings_, orchestrator_->intent(),
                                services.tasks, services.mainQueue, services.logSink));
    follower_->start(
        [weak](const std::string& speaker, const std::string& currentOutput, bool bluetoothFailed) {
            if (const auto self = weak.lock()) {
                self->tellSpeakerStayedAway(speaker, currentOutput, bluetoothFailed);
            }
        });

    // The callback runs on a background task; the run itself is the follower's, so a wake that
    // comes during a run is never lost: it gets a run of its own after that one.
    wakeMonitor_ = WakeMonitor::create(
        environment_.systemEvents, services.tasks, services.mainQueue, services.logSink,
        [weak, settings = settings_, mainQueue = services.mainQueue,
         logger = logger_](const std::stop_token&) {
            if (weak.expired()) {
                return;
            }
            if (settings->connectOnWake()) {
                mainQueue->post([weak] {
                    if (const auto self = weak.lock()) {
                        self->reconnectAutomatically(Intent::Source::wake);
                    }
                });
            } else {
                logger.info("[AirPlay] Wake detected but automatic reconnect is disabled");
            }
        });
    wakeMonitor_->start();

    if (settings_->connectAtLogin()) {
        logger_.info("[AirPlay] Connect at login enabled — starting initial reconnect for {}",
                     settings_->deviceName());
        services.mainQueue->postAfter(kConnectAtLoginDelay, [weak] {
            if (const auto self = weak.lock()) {
                self->reconnectAutomatically(Intent::Source::login);
            }
        });
    } else {
        logger_.info("[AirPlay] Connect at login disabled");
    }

    services.mainQueue->postAfter(kUpdateCheckDelay, [weak] {
        if (const auto self = weak.lock()) {
            self->checkForUpdates(true);
        }
    });

    services.application->becomeAccessory();
}

void AppDelegate::startReconnect() const {
    // The first connect with the name just chosen: the ranking decides.
    environment_.view.tasks->submit(
        [orchestrator = orchestrator_, ranking = OutputRanking::of(*settings_),
         serves = askForRanking(orchestrator_->intent(), Intent::Source::connectNow)](
            const std::stop_token& stop) { orchestrator->reconnectBest(ranking, stop, serves); });
}

void AppDelegate::reconnectAutomatically(Intent::Source source) {
    // Without the permission every run is refused; following would only repeat the refusal.
    if (helper_.isTrusted()) {
        follower_->followForAWhile(source);
    } else {
        orchestrator_->intent()->followRanking(source);
    }
    follower_->selectBest();
}

void AppDelegate::tellSpeakerStayedAway(const std::string& speaker,
                                        const std::string& currentOutput, bool bluetoothFailed) {
    if (!settings_->notifyWhenSpeakerStaysAway() || !environment_.notifications) {
        return;
    }
    // Which case it was: a device that is not there at all wants other help than a paired
    // Bluetooth device that was asked to connect and did not.
    const std::string why =
        bluetoothFailed
            ? text(TONVERA_TRANSLATE("Tonvera",
                                     "It is paired over Bluetooth but did not connect. Is it "
                                     "switched on and in reach?",
                                     "Notification: speaker stayed away, Bluetooth connect failed"))
            : text(TONVERA_TRANSLATE("Tonvera", "It was not among the outputs.",
                                     "Notification: speaker stayed away, not there"));
    const std::string rest =
        currentOutput.empty()
            ? text(TONVERA_TRANSLATE("Tonvera", "Tonvera tries again at the next wake.",
                                     "Notification: speaker stayed away, no other output"))
            : formatText(text(TONVERA_TRANSLATE(
                             "Tonvera",
                             "The sound plays on %@ for now. Tonvera tries again at the next wake.",
                             "Notification: speaker stayed away, sound elsewhere")),
                         {currentOutput});
    const std::string body = why + " " + rest;
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    environment_.notifications->show(
        Notification{
            .title = formatText(text(TONVERA_TRANSLATE("Tonvera", "%@ did not come back",
                                                       "Notification: speaker stayed away")),
                                {speaker}),
            .body = body,
            .actionLabel =
                text(TONVERA_TRANSLATE("Tonvera", "Connect now", "Menu: connect immediately")),
        },
        [weak] {
            if (const auto self = weak.lock(); self && self->menuBarController_) {
                self->menuBarController_->connectNow();
            }
        });
}

void AppDelegate::connectOnRequest(
    const std::optional<std::string>& name,
    const std::function<void(const std::string& name, const ReconnectResult& result)>& done) {
    const std::string target = name.value_or(settings_->deviceName());
    if (!orchestrator_) {
        done(target, ReconnectResult{ReconnectResult::Status::cancelled, {}});
        return;
    }
    orchestrator_->updateRetryDelays(settings_->retryDelays());
    // Without a name: Connect now, the ranking decides. With one: the person's pick, made
    // through Tonvera, which holds until the next wake, login or Connect now.
    const std::optional<OutputRanking> ranking =
        name ? std::nullopt : std::optional<OutputRanking>(OutputRanking::of(*settings_));
    const auto serves =
        name ? askForOutput(orchestrator_->intent(), *name, Intent::Source::namedConnect)
             : askForRanking(orchestrator_->intent(), Intent::Source::connectNow);
    const bool queued = submitWithCompletion(
        *environment_.view.tasks, environment_.view.mainQueue,
        [orchestrator = orchestrator_, target, ranking, serves](const std::stop_token& stop) {
            return ranking ? orchestrator->reconnectBest(*ranking, stop, serves)
                           : orchestrator->reconnect(target, stop, serves);
        },
        [done, target](const TaskOutcome<ReconnectResult>& outcome) {
            done(target, outcome.succeeded()
                             ? outcome.value()
                             : ReconnectResult{ReconnectResult::Status::notAvailable,
                                               describeError(outcome.error())});
        });
    if (!queued) {
        done(target, ReconnectResult{ReconnectResult::Status::cancelled, {}});
    }
}

void AppDelegate::applicationWillTerminate() {
    if (wakeMonitor_) {
        wakeMonitor_->stop();
    }
    if (follower_) {
        follower_->stop();
    }
    if (orchestrator_) {
        orchestrator_->cancelForQuit();
    }
    logger_.info("[AirPlay] App terminating");
}

bool AppDelegate::applicationShouldHandleReopen() {
    if (settings_->hasCompletedOnboarding()) {
        if (menuBarController_) {
            menuBarController_->openSettings();
        }
    } else {
        showOnboarding();
    }
    return false;
}

void AppDelegate::showOnboarding() {
    const auto& application = environment_.view.application;
    if (onboardingWindow_ && onboardingWindow_->isVisible()) {
        onboardingWindow_->makeKeyAndOrderFront();
        application->activateIgnoringOtherApps();
        return;
    }
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    auto view = OnboardingView::create(
        settings_, orchestrator_,
        [weak] {
            if (const auto self = weak.lock()) {
                self->finishOnboarding();
            }
        },
        environment_.view);
    auto window = environment_.windows->makeWindow(
        OnboardingView::windowOptions(*environment_.view.localizer), std::move(view));
    window->makeKeyAndOrderFront();
    application->activateIgnoringOtherApps();
    onboardingWindow_ = window;
    window->setWillCloseHandler([weak, closing = std::weak_ptr(window)] {
        if (const auto self = weak.lock(); self && isSameWindow(self->onboardingWindow_, closing)) {
            self->onboardingWindow_.reset();
        }
    });
}

void AppDelegate::finishOnboarding() {
    if (const auto window = std::exchange(onboardingWindow_, nullptr)) {
        window->close();
    }
    const std::string deviceName = settings_->deviceName();
    if (helper_.isTrusted() && !deviceName.empty()) {
        startReconnect();
    }
    askLaunchAtLogin();
}

void AppDelegate::syncLoginItem() {
    syncLoginItem(settings_->launchAtLogin());
}

void AppDelegate::syncLoginItem(bool wanted) {
    LoginItem& loginItem = *environment_.loginItem;
    const bool enabled = loginItem.status() == LoginItemStatus::enabled;
    try {
        if (wanted && !enabled) {
            loginItem.registerItem();
            logger_.info("[AirPlay] Registered as login item");
        } else if (!wanted && enabled) {
            loginItem.unregisterItem();
            logger_.info("[AirPlay] Unregistered login item");
        }
    } catch (const LoginItemError& error) {
        logger_.error("[AirPlay] Login item failed: {}", error.what());
    }
}

void AppDelegate::askLaunchAtLogin() {
    // The question is marked asked only once answered: an alert that closes because the
    // application quits was never answered and must come again at the next start.
    if (settings_->launchAtLoginAsked() || askingLaunchAtLogin_) {
        return;
    }
    askingLaunchAtLogin_ = true;
    const int answer = environment_.alerts->runModal(AlertContent{
        .messageText =
            text(TONVERA_TRANSLATE("Tonvera", "Open at Mac startup?", "LaunchAtLogin: ask title")),
        .informativeText = text(TONVERA_TRANSLATE(
            "Tonvera",
            "Tonvera can start automatically at login, so your sound is always restored.",
            "LaunchAtLogin: ask body")),
        .style = AlertStyle::informational,
        .buttons = {text(TONVERA_TRANSLATE("Tonvera", "Yes, enable", "LaunchAtLogin: yes")),
                    text(TONVERA_TRANSLATE("Tonvera", "No", "LaunchAtLogin: no"))},
    });
    askingLaunchAtLogin_ = false;
    if (answer == kAlertClosedByQuit) {
        return;
    }
    settings_->setLaunchAtLoginAsked(true);
    const bool enable = answer == kAlertFirstButtonReturn;
    settings_->setLaunchAtLogin(enable);
    syncLoginItem();
    logger_.info("[AirPlay] Launch at login: {}", enable ? "enabled" : "disabled");
}

void AppDelegate::checkForUpdates(bool silent) {
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    submitWithCompletion(
        *environment_.view.tasks, environment_.view.mainQueue,
        [checker = environment_.updateChecker](const std::stop_token& stop) {
            return checker->check(stop);
        },
        [weak, silent](const TaskOutcome<UpdateCheckResult>& outcome) {
            const auto self = weak.lock();
            if (!self) {
                return;
            }
            self->presentUpdateResult(
                outcome.succeeded()
                    ? outcome.value()
                    : UpdateCheckResult(UpdateCheckFailed{describeError(outcome.error())}),
                silent);
        });
}

void AppDelegate::openDownload(const std::string& address) {
    // The browser may take a moment to start: not on the main thread. When none opens, the
    // person still learns where the download is.
    submitWithCompletion(
        *environment_.view.tasks, environment_.view.mainQueue,
        [workspace = environment_.view.selectors.workspace, address](const std::stop_token&) {
            return workspace->openURL(address);
        },
        [weak = weak_from_this(), address](const TaskOutcome<bool>& outcome) {
            const auto self = weak.lock();
            if (!self || (outcome.succeeded() && outcome.value())) {
                return;
            }
            self->logger_.error("[AirPlay] Could not open the download page {}", address);
            self->environment_.alerts->runModal(AlertContent{
                .messageText = self->text(TONVERA_TRANSLATE(
                    "Tonvera", "Could not open the download page.", "Update: open failed title")),
                .informativeText =
                    formatText(self->text(TONVERA_TRANSLATE(
                                   "Tonvera", "Open this address in your web browser: %@",
                                   "Update: open failed body")),
                               {address}),
                .style = AlertStyle::warning,
                .buttons = {self->text(TONVERA_TRANSLATE("Tonvera", "OK", "Alert button"))},
            });
        });
}

void AppDelegate::presentUpdateResult(const UpdateCheckResult& result, bool silent) {
    const std::string ok = text(TONVERA_TRANSLATE("Tonvera", "OK", "Alert button"));
    std::visit(
        Overloaded{
            [&](const UpToDate& upToDate) {
                logger_.info("[AirPlay] Update check: up to date ({})", upToDate.current);
                if (silent) {
                    return;
                }
                environment_.alerts->runModal(AlertContent{
                    .messageText = text(TONVERA_TRANSLATE("Tonvera", "You're up to date",
                                                          "Update: up to date title")),
                    .informativeText =
                        formatText(text(TONVERA_TRANSLATE("Tonvera", "Version %@ is installed.",
                                                          "Update: up to date body")),
                                   {upToDate.current}),
                    .style = AlertStyle::warning,
                    .buttons = {ok},
                });
            },
            [&](const UpdateAvailable& available) {
                logger_.info("[AirPlay] Update available: {}", available.version);
                const int answer = environment_.alerts->runModal(AlertContent{
                    .messageText = text(TONVERA_TRANSLATE("Tonvera", "Update available",
                                                          "Update: available title")),
                    .informativeText = formatText(
                        text(TONVERA_TRANSLATE(
                            "Tonvera", "Version %@ is available (installed: %@). Download now?",
                            "Update: available body")),
                        {available.version, environment_.updateChecker->currentVersion()}),
                    .style = AlertStyle::informational,
                    .buttons = {text(TONVERA_TRANSLATE("Tonvera", "Download",
                                                       "Update: download button")),
                                text(TONVERA_TRANSLATE("Tonvera", "Later", "Alert button"))},
                });
                if (answer == kAlertFirstButtonReturn) {
                    openDownload(available.url.text);
                }
            },
            [&](const UpdateCheckFailed& failed) {
                logger_.error("[AirPlay] Update check failed: {}", failed.error);
                if (silent) {
                    return;
                }
                environment_.alerts->runModal(AlertContent{
                    .messageText = text(TONVERA_TRANSLATE("Tonvera", "Could not check for updates.",
                                                          "Update: failed title")),
                    .informativeText = failed.error,
                    .style = AlertStyle::warning,
                    .buttons = {ok},
                });
            },
        },
        result);
}

}  // namespace tonvera
