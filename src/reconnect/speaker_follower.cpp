#include "reconnect/speaker_follower.h"

#include <algorithm>
#include <limits>
#include <utility>

#include <fmt/format.h>

#include "selection/unicode_text.h"

namespace tonvera {
namespace {

constexpr std::size_t kUnlisted = std::numeric_limits<std::size_t>::max();

// "3 minutes", or "20 seconds" for a window set shorter in the settings file.
std::string describe(std::chrono::milliseconds window) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(window).count();
    if (seconds % 60 != 0) {
        return seconds == 1 ? std::string("1 second") : fmt::format("{} seconds", seconds);
    }
    return seconds == 60 ? std::string("1 minute") : fmt::format("{} minutes", seconds / 60);
}

const SoundOutput* byIdentifier(const std::vector<SoundOutput>& outputs,
                                const std::string& identifier) {
    const auto found = std::ranges::find(outputs, identifier, &SoundOutput::identifier);
    return found != outputs.end() ? &*found : nullptr;
}

}  // namespace

struct SpeakerFollower::Change {
    std::vector<SoundOutput> appeared;
    std::optional<SoundOutput> previousDefault;
    bool previousDefaultGone = false;
    // The default now, when it is another output than before.
    std::optional<SoundOutput> newDefault;
};

std::shared_ptr<SpeakerFollower> SpeakerFollower::create(
    std::shared_ptr<SoundOutputs> outputs, std::shared_ptr<AppSettings> settings,
    std::shared_ptr<ReconnectOrchestrator> orchestrator, std::shared_ptr<TaskRunner> tasks,
    std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<Clock> clock,
    std::shared_ptr<LogSink> logSink) {
    return std::make_shared<SpeakerFollower>(
        Private{}, std::move(outputs), std::move(settings), std::move(orchestrator),
        std::move(tasks), std::move(mainQueue), std::move(clock), std::move(logSink));
}

SpeakerFollower::SpeakerFollower(Private, std::shared_ptr<SoundOutputs> outputs,
                                 std::shared_ptr<AppSettings> settings,
                                 std::shared_ptr<ReconnectOrchestrator> orchestrator,
                                 std::shared_ptr<TaskRunner> tasks,
                                 std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<Clock> clock,
                                 std::shared_ptr<LogSink> logSink)
    : logger_(makeAirPlayLogger(std::move(logSink))),
      outputs_(std::move(outputs)),
      settings_(std::move(settings)),
      orchestrator_(std::move(orchestrator)),
      tasks_(std::move(tasks)),
      mainQueue_(std::move(mainQueue)),
      clock_(std::move(clock)) {}

void SpeakerFollower::start(StayedAwayHandler onStayedAway) {
    onStayedAway_ = std::move(onStayedAway);
    const std::weak_ptr<SpeakerFollower> weak = weak_from_this();
    const auto onMain = [weak, mainQueue = mainQueue_](auto operation) {
        return [weak, mainQueue, operation](const auto& value) {
            mainQueue->post([weak, operation, value] {
                if (const auto self = weak.lock()) {
                    ((*self).*operation)(value);
                }
            });
        };
    };
    // Every run, whoever started it, says what it selects and how it ended: a switch to that
    // output is Tonvera's own, and decisions put off during the run are taken after it.
    orchestrator_->setSelectingHandler(onMain(&SpeakerFollower::selecting));
    orchestrator_->setRunEndedHandler(onMain(&SpeakerFollower::runEnded));

    // Observers hear of a change before the settings hold it: keep the values given.
    subscriptions_.push_back(settings_->observeConnectWhenSpeakerAppears([weak](const bool& on) {
        if (const auto self = weak.lock()) {
            self->followAlways_ = on;
            if (on) {
                self->logger_.info("[AirPlay] Switching to {} whenever it appears",
                                   self->settings_->deviceName());
            }
            self->updateWatch();
        }
    }));
    subscriptions_.push_back(settings_->observeKeepSoundFromNewOutputs([weak](const bool& on) {
        if (const auto self = weak.lock()) {
            self->keepSound_ = on;
            self->updateWatch();
        }
    }));
    // A new name is no appearance: what counts is a change of the outputs themselves.
    subscriptions_.push_back(settings_->observeDeviceName(
        [weak](const std::string&) {
            if (const auto self = weak.lock()) {
                self->pendingCandidate_.reset();
            }
        },
        Observation::skipCurrent));
}

void SpeakerFollower::stop() {
    stopped_ = true;
    subscriptions_.clear();
    windowOpen_ = false;
    updateWatch();
}

OutputRanking SpeakerFollower::ranking() const {
    return {settings_->deviceName(), settings_->fallbackOutputs()};
}

bool SpeakerFollower::busy() const {
    return ownRuns_ > 0 || orchestrator_->isRunning();
}

void SpeakerFollower::followForAWhile() {
    if (stopped_ || unicode_text::isBlank(settings_->deviceName())) {
        return;
    }
    handPick_.reset();
    if (!windowOpen_) {
        logger_.info("[AirPlay] Following {} for up to {}", settings_->deviceName(),
                     describe(settings_->followWindow()));
    }
    windowOpen_ = true;
    windowExpired_ = false;
    const std::uint64_t window = ++window_;
    mainQueue_->postAfter(settings_->followWindow(), [weak = weak_from_this(), window] {
        if (const auto self = weak.lock()) {
            self->windowEnded(window);
        }
    });
    updateWatch();
}

void SpeakerFollower::selectBest() {
    if (stopped_) {
        return;
    }
    // A wake during a run gets a run of its own once that one is over: what the run found may
    // be stale by now.
    if (busy()) {
        bestRunPending_ = true;
        return;
    }
    select(settings_->deviceName(), true);
}

void SpeakerFollower::updateWatch() {
    const bool wanted = outputs_ && !stopped_ && (windowOpen_ || followAlways_ || keepSound_);
    if (wanted && !watch_) {
        latest_.reset();
        appearedAt_.clear();
        watch_ = outputs_->watch([weak = weak_from_this()](const SoundOutputs::List& list) {
            if (const auto self = weak.lock()) {
                self->outputsChanged(list);
            }
        });
    } else if (!wanted && watch_) {
        watch_.reset();
        latest_.reset();
    }
}

const SoundOutput* SpeakerFollower::defaultOutput() const {
    if (!latest_) {
        return nullptr;
    }
    const auto found = std::ranges::find_if(*latest_, &SoundOutput::isDefault);
    return found != latest_->end() ? &*found : nullptr;
}

const SoundOutput* SpeakerFollower::named(const std::string& name) const {
    if (!latest_) {
        return nullptr;
    }
    const auto found = std::ranges::find_if(*latest_, [&name](const SoundOutput& output) {
        return unicode_text::canonicallyEqual(output.name, name);
    });
    return found != latest_->end() ? &*found : nullptr;
}

bool SpeakerFollower::preferredPlays() const {
    const SoundOutput* playing = defaultOutput();
    return playing != nullptr &&
           unicode_text::canonicallyEqual(playing->name, settings_->deviceName());
}

bool SpeakerFollower::isOwnSelection(const SoundOutput& output) const {
    // Until the run has said it ended, and a moment after: the server's word on the switch
    // and the run's end reach the main thread in either order.
    return selecting_ && unicode_text::canonicallyEqual(output.name, *selecting_) &&
           (!selectingUntil_ || clock_->now() <= *selectingUntil_);
}

SpeakerFollower::Change SpeakerFollower::compare(const std::vector<SoundOutput>& before,
                                                 const std::vector<SoundOutput>& now) {
    const auto time = clock_->now();
    std::erase_if(appearedAt_, [&](const auto& entry) {
        return time - entry.second > kSwitchOnAppearance || !byIdentifier(now, entry.first);
    });
    Change change;
    // By internal name: a device back under a new one has appeared, even when no list without
    // it came in between.
    for (const auto& output : now) {
        if (!byIdentifier(before, output.identifier)) {
            change.appeared.push_back(output);
            appearedAt_[output.identifier] = time;
        }
    }
    const auto previous = std::ranges::find_if(before, &SoundOutput::isDefault);
    const auto current = std::ranges::find_if(now, &SoundOutput::isDefault);
    if (previous != before.end()) {
        change.previousDefault = *previous;
        change.previousDefaultGone = !byIdentifier(now, previous->identifier);
    }
    if (current != now.end() &&
        (previous == before.end() || previous->identifier != current->identifier)) {
        change.newDefault = *current;
    }
    return change;
}

void SpeakerFollower::outputsChanged(const SoundOutputs::List& list) {
    if (!list) {
        // A lost server is no news about the outputs; its next list is taken as it is.
        latest_.reset();
        appearedAt_.clear();
        return;
    }
    if (!latest_) {
        // The first list tells what is there, not what appeared.
        latest_ = *list;
        endWindowIfPreferredPlays();
        return;
    }
    const std::vector<SoundOutput> before = std::exchange(*latest_, *list);
    const Change change = compare(before, *latest_);
    if (handPick_ && named(*handPick_) == nullptr) {
        handPick_.reset();  // the person's pick is gone: the ranking applies again
    }

    bool serverTookIt = false;
    if (change.newDefault && !isOwnSelection(*change.newDefault)) {
        if (appearedAt_.contains(change.newDefault->identifier)) {
            serverTookIt = true;
        } else if (change.previousDefault && !change.previousDefaultGone) {
            handPick_ = change.newDefault->name;
            pendingCandidate_.reset();
            logger_.info("[AirPlay] {} was picked by hand — left as it is until the next wake",
                         change.newDefault->name);
        }
    }
    if (!(serverTookIt && keepSound_ && keepSoundFromNewOutput(change)) && !handPick_ &&
        following()) {
        switchUp(change);
    }
    endWindowIfPreferredPlays();
}

bool SpeakerFollower::keepSoundFromNewOutput(const Change& change) {
    const SoundOutput& taker = *change.newDefault;
    const OutputRanking ranking = this->ranking();
    const SoundOutput* target = handPick_ ? named(*handPick_) : nullptr;
    if (target == nullptr) {
        target = ranking.bestPresent(*latest_);
    }
    if (target == nullptr && change.previousDefault) {
        target = byIdentifier(*latest_, change.previousDefault->identifier);
    }
    // A listed output that appears keeps the sound when it ranks best.
    if (target == nullptr || target->identifier == taker.identifier) {
        return false;
    }
    logger_.info("[AirPlay] {} took the sound when it appeared — back to {}", taker.name,
                 target->name);
    if (busy()) {
        pendingCandidate_ = target->name;
    } else {
        select(target->name, ranking.rankOf(target->name) == std::optional<std::size_t>(0));
    }
    return true;
}

void SpeakerFollower::switchUp(const Change& change) {
    const OutputRanking ranking = this->ranking();
    const auto rankOf = [&ranking](const SoundOutput* output) {
        return output != nullptr ? ranking.rankOf(output->name).value_or(kUnlisted) : kUnlisted;
    };
    const SoundOutput* playing = defaultOutput();
    const SoundOutput* candidate = nullptr;
    // An output that appears takes the sound when it ranks above the one playing. One that
    // was there all along and does not play was put aside by someone: it starts nothing.
    for (const auto& output : change.appeared) {
        const SoundOutput* present = byIdentifier(*latest_, output.identifier);
        if (rankOf(present) < std::min(rankOf(playing), rankOf(candidate))) {
            candidate = present;
        }
    }
    // The playing output went away: the best one left takes over.
    const SoundOutput* best = change.previousDefaultGone ? ranking.bestPresent(*latest_) : nullptr;
    const bool takeOver = best != nullptr && rankOf(best) < rankOf(candidate);
    if (takeOver) {
        candidate = best;
    }
    if (candidate == nullptr || candidate->isDefault) {
        return;
    }
    const std::string name = candidate->name;
    const std::size_t rank = rankOf(candidate);
    const std::string place =
        rank == 0 ? std::string() : fmt::format(" ({} in the list)", ordinal(rank));
    if (busy()) {
        pendingCandidate_ = name;
        if (selecting_ && unicode_text::canonicallyEqual(*selecting_, name)) {
            logger_.info("[AirPlay] {} appeared — next attempt starts now", name);
            orchestrator_->hurry();
        }
        return;
    }
    if (takeOver) {
        logger_.info("[AirPlay] {} went away — selecting {}{}", change.previousDefault->name, name,
                     place);
    } else if (rank == 0 && rankOf(playing) != kUnlisted) {
        logger_.info("[AirPlay] {} appeared — switching back from {}", name, playing->name);
    } else {
        logger_.info("[AirPlay] {} appeared — selecting it{}", name, place);
    }
    select(name, rank == 0);
}

void SpeakerFollower::select(const std::string& name, bool best) {
    ++ownRuns_;
    const bool queued = submitWithCompletion(
        *tasks_, mainQueue_,
        [orchestrator = orchestrator_, ranking = ranking(), name,
         best](const std::stop_token& stop) {
            return best ? orchestrator->reconnectBest(ranking, stop)
                        : orchestrator->reconnect(name, stop);
        },
        [weak = weak_from_this()](const TaskOutcome<ReconnectResult>&) {
            if (const auto self = weak.lock()) {
                --self->ownRuns_;
                self->settle();
            }
        });
    if (!queued) {
        --ownRuns_;
    }
}

void SpeakerFollower::selecting(const std::string& name) {
    selecting_ = name;
    selectingUntil_.reset();
}

void SpeakerFollower::runEnded(const ReconnectResult& result) {
    // The server's word on the switch may come a moment after the run, or not at all from a
    // connection the server stopped telling: read the list again.
    selectingUntil_ = clock_->now() + kSwitchOnAppearance;
    if (result.selected() && watch_) {
        watch_->refresh();
    }
    if (result.status == ReconnectResult::Status::cancelled) {
        bestRunPending_ = false;
        pendingCandidate_.reset();
    }
    settle();
}

void SpeakerFollower::settle() {
    if (stopped_ || busy()) {
        return;
    }
    if (std::exchange(bestRunPending_, false)) {
        pendingCandidate_.reset();
        if (!preferredPlays()) {
            select(settings_->deviceName(), true);
            return;
        }
    }
    if (const auto candidate = std::exchange(pendingCandidate_, std::nullopt)) {
        const SoundOutput* present = named(*candidate);
        if (present != nullptr && !present->isDefault &&
            (!handPick_ || unicode_text::canonicallyEqual(*handPick_, *candidate))) {
            logger_.info("[AirPlay] {} is there now — selecting it", *candidate);
            select(*candidate, unicode_text::canonicallyEqual(*candidate, settings_->deviceName()));
            return;
        }
    }
    if (std::exchange(windowExpired_, false)) {
        decideWindowEnd();
        return;
    }
    endWindowIfPreferredPlays();
}

void SpeakerFollower::windowEnded(std::uint64_t window) {
    if (!windowOpen_ || window != window_) {
        return;  // a later wake opened a new window, or the speaker came back meanwhile
    }
    // A run under way may be selecting the speaker this very moment: its outcome decides.
    if (busy() || bestRunPending_) {
        windowExpired_ = true;
        return;
    }
    decideWindowEnd();
}

void SpeakerFollower::decideWindowEnd() {
    if (!windowOpen_) {
        return;
    }
    const std::string speaker = settings_->deviceName();
    if (preferredPlays()) {
        logger_.info("[AirPlay] {} is selected — following ends", speaker);
        endWindow();
        return;
    }
    logger_.info("[AirPlay] {} did not come back within {} — stopped following", speaker,
                 describe(settings_->followWindow()));
    const SoundOutput* playing = defaultOutput();
    const std::string current = playing != nullptr ? playing->name : "";
    endWindow();
    if (onStayedAway_) {
        onStayedAway_(speaker, current);
    }
}

void SpeakerFollower::endWindowIfPreferredPlays() {
    if (windowOpen_ && !windowExpired_ && !bestRunPending_ && !busy() && preferredPlays()) {
        logger_.info("[AirPlay] {} is selected — following ends", settings_->deviceName());
        endWindow();
    }
}

void SpeakerFollower::endWindow() {
    windowOpen_ = false;
    windowExpired_ = false;
    updateWatch();
}

}  // namespace tonvera
