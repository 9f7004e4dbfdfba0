#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/logger.h"
#include "platform/main_queue.h"
#include "platform/sound_outputs.h"
#include "platform/task_runner.h"
#include "reconnect/output_ranking.h"
#include "reconnect/reconnect_orchestrator.h"
#include "settings/app_settings.h"
#include "settings/subscription.h"

namespace tonvera {

// Keeps the sound on the best output there is, by the person's ranking: the preferred output,
// then the list for while it is away. After a wake or the login run it watches the sound
// server's outputs for a while (the follow window): an output that ranks above the one playing
// appears, and it gets the sound at once; the playing one goes away, and the best one left
// gets it. With "switch whenever it appears" on, that holds all the time; with "keep new
// outputs from taking the sound" on, an output the server makes the default as it appears is
// overruled, at any time.
//
// Only appearances and disappearances start anything, and never against the person: a default
// picked by hand (an output that was already there, while the one before stays) is left alone
// until the next wake or login. A switch is the person's unless Tonvera was selecting that
// output, the output appeared within the last two seconds (the server's switch-on-connect), or
// the output playing before went away (the server's own fallback).
//
// Nothing is watched (no connection to the sound server, no timer) while no window runs and
// both settings are off. Main thread only.
class SpeakerFollower : public std::enable_shared_from_this<SpeakerFollower> {
  public:
    // Told once when a follow window ends without the preferred output: its name and the name
    // of the output the sound plays on now (empty when unknown).
    using StayedAwayHandler =
        std::function<void(const std::string& speaker, const std::string& currentOutput)>;

    // How long after an output appears a server's switch to it counts as the server's.
    static constexpr std::chrono::seconds kSwitchOnAppearance{2};

    static std::shared_ptr<SpeakerFollower> create(
        std::shared_ptr<SoundOutputs> outputs, std::shared_ptr<AppSettings> settings,
        std::shared_ptr<ReconnectOrchestrator> orchestrator, std::shared_ptr<TaskRunner> tasks,
        std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<Clock> clock,
        std::shared_ptr<LogSink> logSink);

    SpeakerFollower(const SpeakerFollower&) = delete;
    SpeakerFollower& operator=(const SpeakerFollower&) = delete;

    // Follows the settings from now on; watches at once when one of them asks for it.
    void start(StayedAwayHandler onStayedAway);

    // A wake or the login run: hand picks are forgotten and the preferred output is watched for
    // during the follow window (three minutes unless the settings file says otherwise). Opens
    // the window or extends it.
    void followForAWhile();

    // Selects the best output: the preferred one with the usual retries, then the list. When a
    // run is under way, this run comes after it.
    void selectBest();

    // Stops watching for good (at quit).
    void stop();

    bool isWatching() const { return watch_ != nullptr; }

  private:
    struct Private {};

  public:
    SpeakerFollower(Private, std::shared_ptr<SoundOutputs> outputs,
                    std::shared_ptr<AppSettings> settings,
                    std::shared_ptr<ReconnectOrchestrator> orchestrator,
                    std::shared_ptr<TaskRunner> tasks, std::shared_ptr<MainQueue> mainQueue,
                    std::shared_ptr<Clock> clock, std::shared_ptr<LogSink> logSink);

  private:
    // What one new list changed against the one before.
    struct Change;

    OutputRanking ranking() const;
    bool following() const { return windowOpen_ || followAlways_; }
    bool busy() const;

    void outputsChanged(const SoundOutputs::List& list);
    Change compare(const std::vector<SoundOutput>& before, const std::vector<SoundOutput>& now);
    bool keepSoundFromNewOutput(const Change& change);
    void switchUp(const Change& change);
    void takeOverFromGoneOutput(const Change& change);
    void select(const std::string& name, bool best);
    void selecting(const std::string& name);
    void runEnded(const ReconnectResult& result);
    void settle();
    void windowEnded(std::uint64_t window);
    void decideWindowEnd();
    void endWindowIfPreferredPlays();
    void endWindow();
    void updateWatch();

    const SoundOutput* defaultOutput() const;
    const SoundOutput* named(const std::string& name) const;
    bool preferredPlays() const;
    bool isOwnSelection(const SoundOutput& output) const;

    Logger logger_;
    std::shared_ptr<SoundOutputs> outputs_;
    std::shared_ptr<AppSettings> settings_;
    std::shared_ptr<ReconnectOrchestrator> orchestrator_;
    std::shared_ptr<TaskRunner> tasks_;
    std::shared_ptr<MainQueue> mainQueue_;
    std::shared_ptr<Clock> clock_;
    StayedAwayHandler onStayedAway_;
    std::vector<Subscription> subscriptions_;

    std::unique_ptr<SoundOutputsWatch> watch_;
    // The latest list; nothing until the watch delivered one and while no server answers.
    SoundOutputs::List latest_;
    // When each output (by internal name) appeared, for the last few seconds.
    std::map<std::string, Clock::TimePoint> appearedAt_;
    bool followAlways_ = false;
    bool keepSound_ = false;
    bool windowOpen_ = false;
    std::uint64_t window_ = 0;
    // The window's time ran out during a run; its end is decided on the run's outcome.
    bool windowExpired_ = false;
    // The output the person picked by hand; left alone until the next wake or login.
    std::optional<std::string> handPick_;
    // The output Tonvera selects or last selected, and until when a switch to it is Tonvera's
    // (nothing while the run has not ended).
    std::optional<std::string> selecting_;
    std::optional<Clock::TimePoint> selectingUntil_;
    // Runs this object queued that have not reported back yet.
    int ownRuns_ = 0;
    // Something happened during a run that wants a decision once it is over: a wake asked for
    // a run of its own, or an output appeared that outranks the one playing.
    bool bestRunPending_ = false;
    std::optional<std::string> pendingCandidate_;
    bool stopped_ = false;
};

}  // namespace tonvera
