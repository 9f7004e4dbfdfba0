#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/logger.h"
#include "platform/main_queue.h"
#include "platform/sound_outputs.h"
#include "platform/task_runner.h"
#include "reconnect/bluetooth_recall.h"
#include "reconnect/output_ranking.h"
#include "reconnect/outputs_tracker.h"
#include "reconnect/reconnect_orchestrator.h"
#include "reconnect/sound_intent.h"
#include "settings/app_settings.h"
#include "settings/subscription.h"

namespace tonvera {

// Keeps the sound where the person wants it, as the outputs come and go. What the person asked
// for last (the orchestrator's intent) decides, read at the moment of each decision:
//
// - The ranking (after a wake, at login, on Connect now): an output that ranks above the one
//   playing gets the sound as it appears, and when the playing output goes away the best one
//   left gets it. During the follow window after a wake or login that holds for every ranked
//   output, all the time with "switch whenever it appears", and always for the outputs ranked
//   above the preferred one (headphones at the desk).
// - One output (picked by hand, or named to --connect): nothing switches away from it. While it
//   is away the server's choice is left alone; when it comes back without getting the sound,
//   it gets it again.
//
// With "keep new outputs from taking the sound" on, an output the server makes the default as
// it appears is overruled in favour of what the intent asks for.
//
// A switch of the default is Tonvera's own when it goes to the output Tonvera is selecting
// (until a moment after that run ended), the server's when the output appeared just before or
// the one playing went away, and otherwise the person's: a pick by hand, which becomes the
// intent and ends any run under way at its next step.
//
// Nothing is watched (no connection to the sound server, no timer) while no window runs, both
// switches are off and nothing is ranked above the preferred output. Main thread only.
class SpeakerFollower : public std::enable_shared_from_this<SpeakerFollower> {
  public:
    // Told once when a follow window ends without the preferred output: its name, the name of
    // the output the sound plays on now (empty when unknown), and whether it is a Bluetooth
    // device that was asked to connect and did not.
    using StayedAwayHandler = std::function<void(
        const std::string& speaker, const std::string& currentOutput, bool bluetoothFailed)>;

    // How long after Tonvera's own run ended a switch to the output it selected is still its
    // own: the server's word on it and the run's end reach the main thread in either order.
    static constexpr std::chrono::seconds kOwnSwitchGrace{2};

    static std::shared_ptr<SpeakerFollower> create(
        std::shared_ptr<SoundOutputs> outputs, std::shared_ptr<AppSettings> settings,
        std::shared_ptr<ReconnectOrchestrator> orchestrator, std::shared_ptr<TaskRunner> tasks,
        std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<Clock> clock,
        std::shared_ptr<LogSink> logSink, std::shared_ptr<BluetoothRecall> recall = nullptr);

    SpeakerFollower(const SpeakerFollower&) = delete;
    SpeakerFollower& operator=(const SpeakerFollower&) = delete;

    // Follows the settings and the intent from now on; watches at once when they ask for it.
    void start(StayedAwayHandler onStayedAway);

    // A wake or the login run: the ranking is asked for again (an earlier pick no longer
    // holds) and the preferred output is watched for during the follow window (three minutes
    // unless the settings file says otherwise). Opens the window or extends it.
    void followForAWhile(Intent::Source source);

    // Selects the best output: one ranked above the preferred one that is there, else the
    // preferred one with the usual retries, then the list. When a run is under way, this run
    // comes after it.
    void selectBest();

    // Stops watching for good (at quit).
    void stop();

    bool isWatching() const { return watch_ != nullptr; }
    const OutputRanking& ranking() const { return ranking_; }

  private:
    struct Private {};

  public:
    SpeakerFollower(Private, std::shared_ptr<SoundOutputs> outputs,
                    std::shared_ptr<AppSettings> settings,
                    std::shared_ptr<ReconnectOrchestrator> orchestrator,
                    std::shared_ptr<TaskRunner> tasks, std::shared_ptr<MainQueue> mainQueue,
                    std::shared_ptr<Clock> clock, std::shared_ptr<LogSink> logSink,
                    std::shared_ptr<BluetoothRecall> recall);

  private:
    // Who moved the default in one change.
    enum class Switch { none, own, serverOnAppearance, serverFallback, person };
    // A decision put off while a run is under way, taken after it if the intent still holds.
    struct Pending {
        std::string output;
        std::uint64_t generation = 0;
    };

    bool following() const { return windowOpen_ || followAlways_; }
    bool busy() const;
    std::size_t rankOf(const SoundOutput* output) const;
    bool bestPlays() const;

    void outputsChanged(const SoundOutputs::List& list);
    Switch classify(const OutputsChange& change) const;
    void keepPick(const OutputsChange& change, Switch kind, const Intent& intent);
    void followRanking(const OutputsChange& change, Switch kind, const Intent& intent);
    bool keepSoundFromNewOutput(const OutputsChange& change, const Intent& intent);
    void switchUp(const OutputsChange& change, Switch kind, const Intent& intent);
    void select(const std::string& name, const Intent& intent);
    void intentChanged(const Intent& now);
    void rankingChanged(OutputRanking ranking);

    void selecting(const std::string& name);
    void runEnded(const ReconnectResult& result);
    void settle();
    void windowEnded(std::uint64_t window);
    void decideWindowEnd();
    void endWindowIfBestPlays();
    void endWindow();
    void updateWatch();
    void recall(std::chrono::milliseconds delay, int tries);

    bool isOwnSelection(const SoundOutput& output) const;

    Logger logger_;
    std::shared_ptr<SoundOutputs> outputs_;
    std::shared_ptr<AppSettings> settings_;
    std::shared_ptr<ReconnectOrchestrator> orchestrator_;
    std::shared_ptr<SoundIntent> intent_;
    std::shared_ptr<TaskRunner> tasks_;
    std::shared_ptr<MainQueue> mainQueue_;
    std::shared_ptr<Clock> clock_;
    std::shared_ptr<BluetoothRecall> recall_;
    StayedAwayHandler onStayedAway_;
    std::vector<Subscription> subscriptions_;

    // Worked out once per change of the settings: what a file holds beyond the usable entries
    // costs no event anything.
    OutputRanking ranking_;
    std::unique_ptr<SoundOutputsWatch> watch_;
    OutputsTracker tracker_;
    bool followAlways_ = false;
    bool keepSound_ = false;
    bool windowOpen_ = false;
    std::uint64_t window_ = 0;
    // The window's time ran out during a run; its end is decided on the run's outcome.
    bool windowExpired_ = false;
    // The output Tonvera selects or last selected, and until when a switch to it is Tonvera's
    // (nothing while the run has not ended).
    std::optional<std::string> selecting_;
    std::optional<Clock::TimePoint> selectingUntil_;
    // The one selected before, while its grace lasts: the server may tell of that switch only
    // after the next run began (headphones plugged in during a take-over).
    std::optional<std::pair<std::string, Clock::TimePoint>> selectedBefore_;
    // Runs this object queued that have not reported back yet.
    int ownRuns_ = 0;
    // A wake asked for a run of its own during a run; taken once it is over.
    bool bestRunPending_ = false;
    std::optional<Pending> pending_;
    bool stopped_ = false;
};

}  // namespace tonvera
