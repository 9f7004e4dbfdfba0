#include "ui/readiness_check.h"

#include <utility>

namespace tonvera {

struct ReadinessCheck::State {
    std::shared_ptr<DesktopReadiness> readiness;
    std::shared_ptr<TaskRunner> tasks;
    std::shared_ptr<MainQueue> mainQueue;
    std::function<void()> changed;
    std::optional<ReadinessReport> report;
    bool running = false;
    bool wantedAgain = false;
};

ReadinessCheck::ReadinessCheck(std::shared_ptr<DesktopReadiness> readiness,
                               std::shared_ptr<TaskRunner> tasks,
                               std::shared_ptr<MainQueue> mainQueue, std::function<void()> changed)
    : state_(std::make_shared<State>(State{std::move(readiness), std::move(tasks),
                                           std::move(mainQueue), std::move(changed)})) {}

ReadinessCheck::~ReadinessCheck() = default;

const std::optional<ReadinessReport>& ReadinessCheck::report() const {
    return state_->report;
}

bool ReadinessCheck::isChecking() const {
    return state_->running;
}

void ReadinessCheck::recheck() {
    if (state_->running) {
        state_->wantedAgain = true;
        return;
    }
    start(state_);
}

void ReadinessCheck::start(const std::shared_ptr<State>& state) {
    state->running = true;
    state->wantedAgain = false;
    const auto work = [readiness = state->readiness](const std::stop_token&) {
        return ReadinessReport{readiness->trayHostPresent(), readiness->soundServerAnswers(),
                               readiness->systemBusReachable()};
    };
    // The window may close while the look runs: its result then goes nowhere.
    const auto completion =
        [weak = std::weak_ptr<State>(state)](const TaskOutcome<ReadinessReport>& outcome) {
            const auto self = weak.lock();
            if (!self) {
                return;
            }
            self->running = false;
            if (outcome.succeeded()) {
                self->report = outcome.value();
            }
            if (self->wantedAgain) {
                start(self);
            }
            self->changed();
        };
    if (!submitWithCompletion(*state->tasks, state->mainQueue, work, completion)) {
        state->running = false;  // the application is quitting
    }
    state->changed();
}

ReadinessTexts ReadinessTexts::load(const Localizer& localizer) {
    const auto text = [&localizer](const LocalizedText& source) {
        return localizer.localized(source);
    };
    ReadinessTexts t;
    t.step = text(TONVERA_TRANSLATE("Tonvera", "Desktop", "Onboarding: readiness step"));
    t.title = text(TONVERA_TRANSLATE("Tonvera", "What Tonvera needs", "Readiness: title"));
    t.introduction = text(TONVERA_TRANSLATE(
        "Tonvera", "Tonvera needs no special permission. It relies on these parts of your desktop:",
        "Readiness: introduction"));
    t.checking = text(TONVERA_TRANSLATE("Tonvera", "Checking…", "Readiness: checking"));
    t.trayTitle = text(TONVERA_TRANSLATE("Tonvera", "Tray icon", "Readiness: tray title"));
    t.trayReady = text(
        TONVERA_TRANSLATE("Tonvera", "Your panel shows Tonvera's icon.", "Readiness: tray ready"));
    t.trayMissing = text(TONVERA_TRANSLATE(
        "Tonvera",
        "No panel shows tray icons. On GNOME, install the AppIndicator extension "
        "(package gnome-shell-extension-appindicator), switch it on in Extensions and log in "
        "again. Until then Tonvera works without its icon; start it again to open Settings.",
        "Readiness: tray missing"));
    t.soundTitle = text(TONVERA_TRANSLATE("Tonvera", "Sound server", "Readiness: sound title"));
    t.soundReady = text(
        TONVERA_TRANSLATE("Tonvera", "PulseAudio or PipeWire answers.", "Readiness: sound ready"));
    t.soundMissing = text(TONVERA_TRANSLATE(
        "Tonvera",
        "Neither PulseAudio nor PipeWire answers. Both normally start with your session: log in "
        "again or start yours, then check again.",
        "Readiness: sound missing"));
    t.wakeTitle =
        text(TONVERA_TRANSLATE("Tonvera", "Sleep and wake signals", "Readiness: wake title"));
    t.wakeReady = text(TONVERA_TRANSLATE(
        "Tonvera", "The system bus answers: Tonvera notices when the computer wakes.",
        "Readiness: wake ready"));
    t.wakeMissing = text(TONVERA_TRANSLATE(
        "Tonvera",
        "The system bus does not answer, so Tonvera cannot notice waking up. Use Connect now "
        "after sleep.",
        "Readiness: wake missing"));
    t.openSoundSettings =
        text(TONVERA_TRANSLATE("Tonvera", "Open Sound Settings", "Readiness: open sound settings"));
    t.checkAgain = text(TONVERA_TRANSLATE("Tonvera", "Check again", ""));
    t.allReady =
        text(TONVERA_TRANSLATE("Tonvera", "All set — you can continue.", "Readiness: all ready"));
    t.continueAnyway = text(TONVERA_TRANSLATE(
        "Tonvera", "You can continue anyway; Tonvera does what it can without the missing part.",
        "Readiness: continue anyway"));
    t.badgeTrayMissing =
        text(TONVERA_TRANSLATE("Tonvera", "No tray icon area", "Readiness badge: tray missing"));
    t.badgeSoundMissing = text(TONVERA_TRANSLATE("Tonvera", "Sound server not answering",
                                                 "Readiness badge: sound missing"));
    t.badgeWakeMissing =
        text(TONVERA_TRANSLATE("Tonvera", "No wake signals", "Readiness badge: wake missing"));
    return t;
}

}  // namespace tonvera
