#include "reconnect/speaker_follower.h"

#include <algorithm>
#include <limits>
#include <utility>

#include <fmt/format.h>

#include "selection/unicode_text.h"

namespace tonvera {
namespace {

constexpr std::size_t kUnranked = std::numeric_limits<std::size_t>::max();

// "3 minutes", or "20 seconds" for a window set shorter in the settings file.
std::string describe(std::chrono::milliseconds window) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(window).count();
    if (seconds % 60 != 0) {
        return seconds == 1 ? std::string("1 second") : fmt::format("{} seconds", seconds);
    }
    return seconds == 60 ? std::string("1 minute") : fmt::format("{} minutes", seconds / 60);
}

// " (1st in the list)", " (1st above Arbeitszimmer)", or nothing for the preferred output.
std::string placeText(const OutputRanking& ranking, const std::string& name) {
    const auto place = ranking.placeOf(name);
    if (!place || place->section == RankPlace::Section::preferred) {
        return {};
    }
    return place->section == RankPlace::Section::below
               ? fmt::format(" ({} in the list)", ordinal(place->number))
               : fmt::format(" ({} above {})", ordinal(place->number), ranking.preferred());
}

}  // namespace

std::shared_ptr<SpeakerFollower> SpeakerFollower::create(
    std::shared_ptr<SoundOutputs> outputs, std::shared_ptr<AppSettings> settings,
    std::shared_ptr<ReconnectOrchestrator> orchestrator, std::shared_ptr<TaskRunner> tasks,
    std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<Clock> clock,
    std::shared_ptr<LogSink> logSink, std::shared_ptr<BluetoothRecall> recall) {
    return std::make_shared<SpeakerFollower>(Private{}, std::move(outputs), std::move(settings),
                                             std::move(orchestrator), std::move(tasks),
                                             std::move(mainQueue), std::move(clock),
                                             std::move(logSink), std::move(recall));
}

SpeakerFollower::SpeakerFollower(Private, std::shared_ptr<SoundOutputs> outputs,
                                 std::shared_ptr<AppSettings> settings,
                                 std::shared_ptr<ReconnectOrchestrator> orchestrator,
                                 std::shared_ptr<TaskRunner> tasks,
                                 std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<Clock> clock,
                                 std::shared_ptr<LogSink> logSink,
                                 std::shared_ptr<BluetoothRecall> recall)
    : logger_(makeAirPlayLogger(std::move(logSink))),
      outputs_(std::move(outputs)),
      settings_(std::move(settings)),
      orchestrator_(std::move(orchestrator)),
      intent_(orchestrator_->intent() ? orchestrator_->intent() : std::make_shared<SoundIntent>()),
      tasks_(std::move(tasks)),
      mainQueue_(std::move(mainQueue)),
      clock_(std::move(clock)),
      recall_(std::move(recall)),
      ranking_(OutputRanking::of(*settings_)) {}

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
    subscriptions_.push_back(intent_->observe([weak](const Intent& now) {
        if (const auto self = weak.lock()) {
            self->intentChanged(now);
        }
    }));

    // Observers hear of a change before the settings hold it: keep the values given.
    const auto bound = [weak](auto&& action) {
        return [weak, action](const auto& value) {
            if (const auto alive = weak.lock()) {
                action(*alive, value);
            }
        };
    };
    subscriptions_.push_back(settings_->observeConnectWhenSpeakerAppears(
        bound([](SpeakerFollower& follower, const bool& on) {
            follower.followAlways_ = on;
            if (on) {
                follower.logger_.info("[AirPlay] Switching to {} whenever it appears",
                                      follower.settings_->deviceName());
            }
            follower.updateWatch();
        })));
    subscriptions_.push_back(settings_->observeKeepSoundFromNewOutputs(
        bound([](SpeakerFollower& follower, const bool& on) {
            follower.keepSound_ = on;
            follower.updateWatch();
        })));
    // A new name is no appearance: what counts is a change of the outputs themselves.
    subscriptions_.push_back(settings_->observeDeviceName(
        bound([](SpeakerFollower& follower, const std::string& name) {
            follower.pending_.reset();
            follower.rankingChanged(OutputRanking(name, follower.settings_->priorityOutputs(),
                                                  follower.settings_->fallbackOutputs()));
        }),
        Observation::skipCurrent));
    subscriptions_.push_back(settings_->observePriorityOutputs(
        bound([](SpeakerFollower& follower, const std::vector<std::string>& above) {
            follower.rankingChanged(OutputRanking(follower.settings_->deviceName(), above,
                                                  follower.settings_->fallbackOutputs()));
        }),
        Observation::skipCurrent));
    subscriptions_.push_back(settings_->observeFallbackOutputs(
        bound([](SpeakerFollower& follower, const std::vector<std::string>& below) {
            follower.rankingChanged(OutputRanking(follower.settings_->deviceName(),
                                                  follower.settings_->priorityOutputs(), below));
        }),
        Observation::skipCurrent));
    updateWatch();
}

void SpeakerFollower::stop() {
    stopped_ = true;
    if (recall_) {
        recall_->stop();
    }
    subscriptions_.clear();
    windowOpen_ = false;
    updateWatch();
}

void SpeakerFollower::rankingChanged(OutputRanking ranking) {
    ranking_ = std::move(ranking);
    updateWatch();
}

bool SpeakerFollower::busy() const {
    return ownRuns_ > 0 || orchestrator_->isRunning();
}

std::size_t SpeakerFollower::rankOf(const SoundOutput* output) const {
    return output != nullptr ? ranking_.rankOf(output->name).value_or(kUnranked) : kUnranked;
}

bool SpeakerFollower::bestPlays() const {
    // The preferred output, or one ranked above it: nothing better is to be waited for.
    const SoundOutput* playing = tracker_.defaultOutput();
    return playing != nullptr && !unicode_text::isBlank(ranking_.preferred()) &&
           rankOf(playing) <= ranking_.preferredRank();
}

void SpeakerFollower::followForAWhile(Intent::Source source) {
    if (stopped_ || unicode_text::isBlank(settings_->deviceName())) {
        return;
    }
    intent_->followRanking(source);
    if (!windowOpen_) {
        logger_.info("[AirPlay] Following {} for up to {}", settings_->deviceName(),
                     describe(settings_->followWindow()));
    }
    windowOpen_ = true;
    windowExpired_ = false;
    // After a wake, Bluetooth reconnects what it reconnects by itself first.
    recall(source == Intent::Source::wake ? BluetoothRecall::kResumeDelay
                                          : std::chrono::seconds::zero(),
           BluetoothRecall::kMaxTries);
    const std::uint64_t window = ++window_;
    mainQueue_->postAfter(settings_->followWindow(), [weak = weak_from_this(), window] {
        if (const auto self = weak.lock()) {
            self->windowEnded(window);
        }
    });
    updateWatch();
}

void SpeakerFollower::recall(std::chrono::milliseconds delay, int tries) {
    if (!recall_) {
        return;
    }
    recall_->start(ranking_, delay, tries,
                   [weak = weak_from_this()]() -> std::optional<std::vector<SoundOutput>> {
                       const auto self = weak.lock();
                       if (!self || !self->tracker_.known()) {
                           return std::nullopt;
                       }
                       return self->tracker_.outputs();
                   });
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
    select(ranking_.preferred(), intent_->current());
}

void SpeakerFollower::updateWatch() {
    const bool wanted = outputs_ && !stopped_ &&
                        (windowOpen_ || followAlways_ || keepSound_ || !ranking_.above().empty());
    if (wanted && !watch_) {
        tracker_.forget();
        watch_ = outputs_->watch([weak = weak_from_this()](const SoundOutputs::List& list) {
            if (const auto self = weak.lock()) {
                self->outputsChanged(list);
            }
        });
    } else if (!wanted && watch_) {
        watch_.reset();
        tracker_.forget();
    }
}

bool SpeakerFollower::isOwnSelection(const SoundOutput& output) const {
    const bool current = selecting_ && unicode_text::canonicallyEqual(output.name, *selecting_) &&
                         (!selectingUntil_ || clock_->now() <= *selectingUntil_);
    return current || (selectedBefore_ &&
                       unicode_text::canonicallyEqual(output.name, selectedBefore_->first) &&
                       clock_->now() <= selectedBefore_->second);
}

SpeakerFollower::Switch SpeakerFollower::classify(const OutputsChange& change) const {
    if (!change.newDefault) {
        return Switch::none;
    }
    if (isOwnSelection(*change.newDefault)) {
        return Switch::own;
    }
    if (tracker_.appearedJustNow(*change.newDefault)) {
        return Switch::serverOnAppearance;
    }
    // The playing output went away (in this very list: the server's fallback lands in the read
    // that reports the loss), or nothing played: the server chose.
    if (!change.previousDefault || change.previousDefaultGone) {
        return Switch::serverFallback;
    }
    return Switch::person;
}

void SpeakerFollower::outputsChanged(const SoundOutputs::List& list) {
    const auto change = tracker_.update(list, clock_->now());
    if (recall_ && tracker_.known()) {
        recall_->learn(tracker_.outputs(), ranking_);
    }
    if (change) {
        const Switch kind = classify(*change);
        if (kind == Switch::person) {
            logger_.info("[AirPlay] {} was picked by hand — left as it is until the next wake",
                         change->newDefault->name);
            intent_->pick(change->newDefault->name, Intent::Source::handPick);
        } else {
            const Intent intent = intent_->current();
            if (intent.isRanking()) {
                followRanking(*change, kind, intent);
            } else {
                keepPick(*change, kind, intent);
            }
        }
    }
    endWindowIfBestPlays();
}

void SpeakerFollower::keepPick(const OutputsChange& change, Switch kind, const Intent& intent) {
    const SoundOutput* picked = tracker_.named(intent.output);
    // Away: the server's choice is left alone until it comes back.
    if (picked == nullptr || picked->isDefault) {
        return;
    }
    const std::string& name = picked->name;
    if (change.appearedNamed(name)) {
        // Back from a blink without the sound: the server did not give it back, Tonvera does.
        logger_.info("[AirPlay] {} is back — selecting it again", name);
    } else if (kind == Switch::serverOnAppearance) {
        if (!keepSound_) {
            return;
        }
        logger_.info("[AirPlay] {} took the sound when it appeared — back to {}",
                     change.newDefault->name, name);
    } else if (kind == Switch::serverFallback && change.previousDefaultGone) {
        logger_.info("[AirPlay] {} went away — back to {}", change.previousDefault->name, name);
    } else if (kind == Switch::own) {
        // A run that the pick ended still pressed its output: the pick wins.
        logger_.info("[AirPlay] {} was picked — back to it", name);
    } else {
        return;
    }
    if (busy()) {
        pending_ = Pending{name, intent.generation};
        return;
    }
    select(name, intent);
}

void SpeakerFollower::followRanking(const OutputsChange& change, Switch kind,
                                    const Intent& intent) {
    if (kind == Switch::serverOnAppearance && keepSound_ &&
        keepSoundFromNewOutput(change, intent)) {
        return;
    }
    switchUp(change, kind, intent);
}

bool SpeakerFollower::keepSoundFromNewOutput(const OutputsChange& change, const Intent& intent) {
    const SoundOutput& taker = *change.newDefault;
    const SoundOutput* target = ranking_.bestPresent(tracker_.outputs());
    if (target == nullptr && change.previousDefault) {
        target = tracker_.byIdentifier(change.previousDefault->identifier);
    }
    // A ranked output that appears keeps the sound when it ranks best.
    if (target == nullptr || target->identifier == taker.identifier) {
        return false;
    }
    logger_.info("[AirPlay] {} took the sound when it appeared — back to {}", taker.name,
                 target->name);
    if (busy()) {
        pending_ = Pending{target->name, intent.generation};
    } else {
        select(target->name, intent);
    }
    return true;
}

void SpeakerFollower::switchUp(const OutputsChange& change, Switch kind, const Intent& intent) {
    const SoundOutput* playing = tracker_.defaultOutput();
    const SoundOutput* candidate = nullptr;
    // An output that appears takes the sound when it ranks above the one playing: any ranked
    // output while following, one ranked above the preferred output at any time. One that was
    // there all along and does not play was put aside by someone: it starts nothing.
    for (const auto& output : change.appeared) {
        const SoundOutput* present = tracker_.byIdentifier(output.identifier);
        const bool watched = following() || ranking_.ranksAbovePreferred(output.name);
        if (watched && rankOf(present) < std::min(rankOf(playing), rankOf(candidate))) {
            candidate = present;
        }
    }
    // Tonvera's own switch, told late, can land after an output ranked above the preferred one
    // appeared and got the sound: that one gets it back.
    const SoundOutput* above =
        kind == Switch::own ? ranking_.bestPresentAbove(tracker_.outputs()) : nullptr;
    const bool regain =
        playing != nullptr && rankOf(above) < std::min(rankOf(playing), rankOf(candidate));
    if (regain) {
        candidate = above;
    }
    // The playing output went away: the best one left takes over, while following, or at any
    // time when the one that went was ranked above the preferred output.
    const bool takeOverWatched =
        change.previousDefaultGone &&
        (following() || ranking_.ranksAbovePreferred(change.previousDefault->name));
    const SoundOutput* best = takeOverWatched ? ranking_.bestPresent(tracker_.outputs()) : nullptr;
    const bool takeOver = best != nullptr && rankOf(best) < rankOf(candidate);
    if (takeOver) {
        candidate = best;
    }
    if (candidate == nullptr || candidate->isDefault) {
        return;
    }
    const std::string name = candidate->name;
    if (busy()) {
        pending_ = Pending{name, intent.generation};
        if (selecting_ && unicode_text::canonicallyEqual(*selecting_, name)) {
            logger_.info("[AirPlay] {} appeared — next attempt starts now", name);
            orchestrator_->hurry();
        }
        return;
    }
    if (takeOver) {
        logger_.info("[AirPlay] {} went away — selecting {}{}", change.previousDefault->name, name,
                     placeText(ranking_, name));
    } else if (regain) {
        logger_.info("[AirPlay] {} is there and ranks above {} — selecting it", name,
                     playing->name);
    } else if (rankOf(candidate) == ranking_.preferredRank() && rankOf(playing) != kUnranked) {
        logger_.info("[AirPlay] {} appeared — switching back from {}", name, playing->name);
    } else {
        logger_.info("[AirPlay] {} appeared — selecting it{}", name, placeText(ranking_, name));
    }
    select(name, intent);
}

void SpeakerFollower::select(const std::string& name, const Intent& intent) {
    // For the ranking, the preferred output is selected as the ranking says (an output above
    // it that is there, the list when it stays away); any other output as itself.
    const bool best =
        intent.isRanking() && unicode_text::canonicallyEqual(name, ranking_.preferred());
    // Tonvera's from now, not only once the run tells: a server that falls back in two steps
    // (WirePlumber) may land on this very output before the run begins.
    selecting(name);
    ++ownRuns_;
    const bool queued = submitWithCompletion(
        *tasks_, mainQueue_,
        [orchestrator = orchestrator_, ranking = ranking_, name, best,
         intent](const std::stop_token& stop) {
            return best ? orchestrator->reconnectBest(ranking, stop, intent)
                        : orchestrator->reconnect(name, stop, intent);
        },
        [weak = weak_from_this()](const TaskOutcome<ReconnectResult>&) {
            if (const auto self = weak.lock()) {
                --self->ownRuns_;
                self->settle();
            }
        });
    if (!queued) {
        --ownRuns_;
        selectingUntil_ = clock_->now();
    }
}

void SpeakerFollower::intentChanged(const Intent& now) {
    // Connect now brings a Bluetooth output back too: once, or as often as a wake would while
    // its window is open.
    if (now.source == Intent::Source::connectNow) {
        recall(std::chrono::seconds::zero(), windowOpen_ ? BluetoothRecall::kMaxTries : 1);
    }
    // Decisions put off for an earlier intent are void; a wake's run comes after its change.
    if (pending_ && pending_->generation != now.generation) {
        pending_.reset();
    }
    if (!now.isRanking()) {
        bestRunPending_ = false;
    }
}

void SpeakerFollower::selecting(const std::string& name) {
    if (selecting_ && !unicode_text::canonicallyEqual(*selecting_, name)) {
        selectedBefore_.emplace(*selecting_,
                                selectingUntil_.value_or(clock_->now() + kOwnSwitchGrace));
    }
    selecting_ = name;
    selectingUntil_.reset();
}

void SpeakerFollower::runEnded(const ReconnectResult& result) {
    // The server's word on the switch may come a moment after the run, or not at all from a
    // connection the server stopped telling: read the list again.
    selectingUntil_ = clock_->now() + kOwnSwitchGrace;
    if (result.selected() && watch_) {
        watch_->refresh();
    }
    if (result.status == ReconnectResult::Status::cancelled) {
        bestRunPending_ = false;
        pending_.reset();
    }
    settle();
}

void SpeakerFollower::settle() {
    if (stopped_ || busy()) {
        return;
    }
    const Intent intent = intent_->current();
    if (std::exchange(bestRunPending_, false) && intent.isRanking()) {
        pending_.reset();
        if (!bestPlays()) {
            select(ranking_.preferred(), intent);
            return;
        }
    }
    if (const auto pending = std::exchange(pending_, std::nullopt);
        pending && pending->generation == intent.generation) {
        const SoundOutput* present = tracker_.named(pending->output);
        if (present != nullptr && !present->isDefault) {
            logger_.info("[AirPlay] {} is there now — selecting it", pending->output);
            select(pending->output, intent);
            return;
        }
    }
    if (std::exchange(windowExpired_, false)) {
        decideWindowEnd();
        return;
    }
    endWindowIfBestPlays();
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
    const std::string speaker = ranking_.preferred();
    const Intent intent = intent_->current();
    if (!intent.isRanking()) {
        // The person chose meanwhile: nothing stayed away that they still wait for.
        logger_.info("[AirPlay] Following {} ends — {}", speaker, tonvera::describe(intent));
        endWindow();
        return;
    }
    if (bestPlays()) {
        logger_.info("[AirPlay] {} is selected — following ends", tracker_.defaultOutput()->name);
        endWindow();
        return;
    }
    logger_.info("[AirPlay] {} did not come back within {} — stopped following", speaker,
                 describe(settings_->followWindow()));
    const SoundOutput* playing = tracker_.defaultOutput();
    const std::string current = playing != nullptr ? playing->name : "";
    const bool bluetoothFailed =
        recall_ && recall_->outcomeFor(speaker) == BluetoothRecall::Outcome::didNotConnect;
    endWindow();
    if (onStayedAway_) {
        onStayedAway_(speaker, current, bluetoothFailed);
    }
}

void SpeakerFollower::endWindowIfBestPlays() {
    if (windowOpen_ && !windowExpired_ && !bestRunPending_ && !busy() && bestPlays()) {
        logger_.info("[AirPlay] {} is selected — following ends", tracker_.defaultOutput()->name);
        endWindow();
    }
}

void SpeakerFollower::endWindow() {
    windowOpen_ = false;
    windowExpired_ = false;
    if (recall_) {
        recall_->stop();
    }
    updateWatch();
}

}  // namespace tonvera
