#include "ui/onboarding_view.h"

#include <exception>
#include <utility>
#include <variant>

#include "selection/error_description.h"
#include "selection/unicode_text.h"
#include "ui/reconnect_status.h"
#include "ui/settings_redraw.h"
#include "ui/text_format.h"

namespace tonvera {
namespace {

// Which route produced a discovery's list; the empty-list text differs between them.
enum class DiscoveryRoute { native, script };

struct Discovery {
    std::vector<std::string> names;
    DiscoveryRoute route = DiscoveryRoute::native;
};

}  // namespace

std::shared_ptr<OnboardingView> OnboardingView::create(
    std::shared_ptr<AppSettings> settings, std::shared_ptr<ReconnectOrchestrator> orchestrator,
    std::function<void()> onFinish, ViewServices services) {
    std::shared_ptr<OnboardingView> view(new OnboardingView(
        std::move(settings), std::move(orchestrator), std::move(onFinish), std::move(services)));
    view->observeSettings();
    return view;
}

WindowOptions OnboardingView::windowOptions(const Localizer& localizer) {
    return WindowOptions{
        .title = localizer.localized(onboardingWindowTitle()),
        .closable = true,
        .miniaturizable = false,
        .resizable = false,
        .contentWidth = kContentWidth,
        .contentHeight = kContentHeight,
    };
}

OnboardingView::OnboardingView(std::shared_ptr<AppSettings> settings,
                               std::shared_ptr<ReconnectOrchestrator> orchestrator,
                               std::function<void()> onFinish, ViewServices services)
    : settings_(std::move(settings)),
      orchestrator_(std::move(orchestrator)),
      onFinish_(std::move(onFinish)),
      services_(std::move(services)),
      helper_(services_.selectors.makeHelper()),
      logger_(makeAirPlayLogger(services_.logSink)),
      texts_(OnboardingTexts::load(*services_.localizer)),
      permissionGranted_(helper_.isTrusted()) {
    if (services_.readiness) {
        readinessTexts_ = ReadinessTexts::load(*services_.localizer);
        readiness_ = std::make_unique<ReadinessCheck>(services_.readiness, services_.tasks,
                                                      services_.mainQueue, [this] { changed(); });
    }
}

OnboardingView::~OnboardingView() = default;

void OnboardingView::observeSettings() {
    settingsSubscription_ =
        redrawAfterSettingsChange(*settings_, services_.mainQueue, [weak = weak_from_this()] {
            if (const auto view = weak.lock()) {
                view->changed();
            }
        });
}

Subscription OnboardingView::observeChanges(std::function<void()> observer) {
    return observers_.add([observer = std::move(observer)] { observer(); });
}

void OnboardingView::changed() {
    observers_.notify();
}

std::string OnboardingView::localized(const LocalizedText& text) const {
    return services_.localizer->localized(text);
}

OnboardingView::Step OnboardingView::shownPage() const {
    if (currentStep_ == permission || currentStep_ == speaker) {
        return static_cast<Step>(currentStep_);
    }
    return welcome;
}

bool OnboardingView::hasUsableName() const {
    return !unicode_text::isBlank(settings_->deviceName());
}

bool OnboardingView::canContinue() const {
    return !(currentStep_ == permission && !permissionGranted_);
}

bool OnboardingView::canFinish() const {
    return hasUsableName() && permissionGranted_;
}

bool OnboardingView::canTest() const {
    return !isConnecting_ && hasUsableName();
}

bool OnboardingView::isChosen(const std::string& name) const {
    return name == settings_->deviceName();
}

std::optional<StatusLine> OnboardingView::statusLine() const {
    if (!statusMessage_) {
        return std::nullopt;
    }
    if (statusKind_ == StatusKind::error && showsReadiness() &&
        (checkingSoundMenu_ || soundMenuFound_ == false)) {
        return std::nullopt;
    }
    return StatusLine{*statusMessage_, statusKind_};
}

void OnboardingView::setStatus(std::string text, StatusKind kind) {
    statusMessage_ = std::move(text);
    statusKind_ = kind;
    changed();
}

// Navigation ------------------------------------------------------------------------------

void OnboardingView::nextStep() {
    if (showsDone() || !canContinue()) {
        return;
    }
    setCurrentStep(currentStep_ + 1);
}

void OnboardingView::previousStep() {
    if (!showsBack()) {
        return;
    }
    setCurrentStep(currentStep_ - 1);
}

void OnboardingView::setCurrentStep(std::int64_t step) {
    if (step == currentStep_) {
        return;
    }
    currentStep_ = step;
    changed();
    if (step == permission) {
        checkPermission();
        checkReadiness();
    } else if (step == speaker) {
        checkSoundMenu();
    }
}

void OnboardingView::completeOnboarding() {
    if (!showsDone() || !canFinish()) {
        return;
    }
    settings_->setHasCompletedOnboarding(true);
    logger_.info("[AirPlay] Onboarding abgeschlossen — Gerät: {}", settings_->deviceName());
    if (onFinish_) {
        // The handler usually closes the window and so may release this view.
        const auto keepAlive = shared_from_this();
        onFinish_();
    }
}

// Permission -------------------------------------------------------------------------------

void OnboardingView::appeared() {
    checkPermission();
    polling_ = true;
    scheduleNextPoll(++pollGeneration_);
}

void OnboardingView::disappeared() {
    polling_ = false;
    ++pollGeneration_;
}

void OnboardingView::activated() {
    if (shownPage() == permission) {
        checkReadiness();
    }
}

void OnboardingView::checkReadiness() {
    if (readiness_) {
        readiness_->recheck();
    }
}

std::optional<ReadinessReport> OnboardingView::readinessReport() const {
    return readiness_ ? readiness_->report() : std::nullopt;
}

void OnboardingView::scheduleNextPoll(std::uint64_t generation) {
    services_.mainQueue->postAfter(kPermissionPollInterval, [weak = weak_from_this(), generation] {
        const auto self = weak.lock();
        if (!self || !self->polling_ || self->pollGeneration_ != generation) {
            return;
        }
        self->checkPermission();
        self->scheduleNextPoll(generation);
    });
}

void OnboardingView::checkPermission() {
    setPermissionGranted(helper_.isTrusted());
}

void OnboardingView::setPermissionGranted(bool granted) {
    if (granted == permissionGranted_) {
        return;  // an unchanged state redraws nothing
    }
    permissionGranted_ = granted;
    changed();
    if (granted && currentStep_ == speaker) {
        checkSoundMenu();
    }
}

// Sound item -------------------------------------------------------------------------------

void OnboardingView::checkSoundMenu() {
    const std::uint64_t generation = ++soundCheckGeneration_;
    if (!permissionGranted_) {
        checkingSoundMenu_ = false;
        if (soundMenuFound_.has_value()) {
            soundMenuFound_.reset();
            changed();
        }
        return;
    }
    // Asking the Sound menu may wait for the sound server, so it runs off the main thread.
    const auto work = [selectors = services_.selectors](const std::stop_token&) {
        const auto selector = selectors.makeNative();
        const bool found =
            selectors.makeHelper().isTrusted() && selector->findSoundMenuExtra() != nullptr;
        makeAirPlayLogger(selectors.logSink)
            .info("[AirPlay] Sound menu in menu bar: {}", found ? "found" : "missing");
        return found;
    };
    const auto completion = [weak = weak_from_this(),
                             generation](const TaskOutcome<bool>& outcome) {
        const auto self = weak.lock();
        if (!self || self->soundCheckGeneration_ != generation) {
            return;
        }
        const bool found = outcome.succeeded() && outcome.value();
        self->checkingSoundMenu_ = false;
        self->soundMenuFound_ = found;
        self->changed();
    };
    checkingSoundMenu_ =
        submitWithCompletion(*services_.tasks, services_.mainQueue, work, completion);
}

// Discovery and test -----------------------------------------------------------------------

void OnboardingView::startDiscovery() {
    if (isDiscovering_) {
        return;
    }
    isDiscovering_ = true;
    availableDevices_.clear();
    statusMessage_.reset();
    changed();

    const auto work = [selectors = services_.selectors](const std::stop_token& stop) {
        try {
            return Discovery{selectors.makeNative()->discoverDevices(stop), DiscoveryRoute::native};
        } catch (...) {
            // The native route failed for whatever reason; the script route gets its turn and
            // only its error is shown.
        }
        return Discovery{selectors.makeScript()->discoverDevices(stop), DiscoveryRoute::script};
    };
    const auto completion = [weak = weak_from_this()](const TaskOutcome<Discovery>& outcome) {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        self->isDiscovering_ = false;
        if (!outcome.succeeded()) {
            // Often the sound server is away: a fresh look lets the card say so instead.
            if (self->showsReadiness()) {
                self->checkSoundMenu();
            }
            self->setStatus(formatText(self->localized(TONVERA_TRANSLATE(
                                           "Tonvera", "Error: %@", "Onboarding: discovery error")),
                                       {describeError(outcome.error())}),
                            StatusKind::error);
            return;
        }
        const Discovery& discovery = outcome.value();
        self->availableDevices_ = discovery.names;
        if (!discovery.names.empty()) {
            self->setStatus(self->services_.localizer->localizedPlural(
                                TONVERA_TRANSLATE_N("Tonvera", "%n device(s) found.",
                                                    "Onboarding: discovery count"),
                                static_cast<int>(discovery.names.size())),
                            StatusKind::notice);
        } else if (discovery.route == DiscoveryRoute::native) {
            self->setStatus(
                self->localized(TONVERA_TRANSLATE(
                    "Tonvera", "No devices found — enter the name manually or check Wi-Fi.",
                    "Onboarding: discovery empty")),
                StatusKind::notice);
        } else {
            self->setStatus(self->localized(TONVERA_TRANSLATE("Tonvera", "No devices found.",
                                                              "Onboarding: discovery empty short")),
                            StatusKind::notice);
        }
    };
    if (!submitWithCompletion(*services_.tasks, services_.mainQueue, work, completion)) {
        isDiscovering_ = false;  // the application is quitting
        changed();
    }
}

void OnboardingView::testConnection() {
    if (!canTest()) {
        return;
    }
    const std::string name = settings_->deviceName();
    isConnecting_ = true;
    setStatus(formatText(localized(TONVERA_TRANSLATE("Tonvera", "Testing connection to %@…",
                                                     "Onboarding: test status")),
                         {name}),
              StatusKind::progress);

    // The run belongs to the orchestrator, not to the window: it goes on when the window
    // closes, and only its closing text is dropped then.
    const auto work = [orchestrator = orchestrator_, name](const std::stop_token& stop) {
        return orchestrator ? orchestrator->reconnect(name, stop)
                            : ReconnectResult{ReconnectResult::Status::cancelled, {}};
    };
    const auto completion = [weak = weak_from_this(),
                             name](const TaskOutcome<ReconnectResult>& outcome) {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        self->isConnecting_ = false;
        const auto line = reconnectStatusLine(
            *self->services_.localizer, name,
            outcome.succeeded() ? outcome.value()
                                : ReconnectResult{ReconnectResult::Status::notAvailable,
                                                  describeError(outcome.error())});
        if (line) {
            self->setStatus(line->text, line->kind);
        } else {
            self->statusMessage_.reset();
            self->changed();
        }
    };
    if (!submitWithCompletion(*services_.tasks, services_.mainQueue, work, completion)) {
        isConnecting_ = false;  // the application is quitting
        changed();
    }
}

void OnboardingView::chooseDevice(const std::string& name) {
    settings_->setDeviceName(name);
}

// Settings and System Settings -------------------------------------------------------------

void OnboardingView::openAccessibilitySettings() {
    // Opening a settings pane starts a program; that stays off the main thread.
    services_.tasks->submit(
        [helper = helper_](const std::stop_token&) { helper.openAccessibilitySettings(); });
}

void OnboardingView::openMenuBarSettings() {
    services_.tasks->submit(
        [helper = helper_](const std::stop_token&) { helper.openMenuBarSettings(); });
}

void OnboardingView::openSoundSettings() {
    services_.tasks->submit([workspace = services_.selectors.workspace](const std::stop_token&) {
        static_cast<void>(workspace->openURL(kSoundSettingsAddress));
    });
}

void OnboardingView::setConnectOnWake(bool on) {
    settings_->setConnectOnWake(on);
}

void OnboardingView::setConnectAtLogin(bool on) {
    settings_->setConnectAtLogin(on);
}

void OnboardingView::setDeviceName(const std::string& name) {
    settings_->setDeviceName(name);
}

}  // namespace tonvera
