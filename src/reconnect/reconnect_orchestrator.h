#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "platform/accessibility_trust.h"
#include "platform/clock.h"
#include "platform/logger.h"
#include "platform/sound_outputs.h"
#include "reconnect/output_ranking.h"
#include "reconnect/sound_intent.h"
#include "selection/audio_output_selector.h"
#include "settings/subscription.h"

namespace tonvera {

// How a reconnect request ended.
struct ReconnectResult {
    enum class Status {
        selected,           // the output is selected now (also when it already was)
        notAvailable,       // every attempt failed; `error` holds the last one's text
        permissionMissing,  // refused or aborted: the permission to press the menu is missing
        alreadyRunning,     // refused: another run is under way
        noDevice,           // refused: no output name was given
        cancelled,          // the application is quitting
        superseded,         // ended unfinished: the person asked for something else meanwhile
    };

    Status status = Status::notAvailable;
    std::string error;
    // The output that plays now when `status` is selected: the one asked for, an output ranked
    // above it that is there, or an entry of the list when it was not there. When superseded:
    // the output the person asked for instead (empty when that was the ranking).
    std::string output;
    // That output's place in the ranking; the preferred place for the output asked for.
    RankPlace place;

    bool selected() const { return status == Status::selected; }
    // Selected, and from the list below the output asked for.
    bool fromList() const { return selected() && place.section == RankPlace::Section::below; }
};

// Runs one reconnect at a time: up to one attempt per retry delay, each trying the primary
// (native) selector and, when that fails with an AccessibilityError, the fallback (script)
// selector; when both fail, the attempt reports the failure that names the cause best. The log
// tells the whole story; callers get the outcome in one value.
//
// A run may serve an intent (what the person asked for when it was started). It reads the
// intent at each step (before each attempt, before the fallback route, before the list) and
// ends there, unfinished, once the person has asked for something else; the change also cuts
// the wait or the menu under way short, so nothing is pressed for an intent that no longer
// holds. A run for a newer intent then takes over from it; a second request for the same
// intent is refused.
//
// `reconnect` blocks for the whole run and belongs on a background task. Its state is guarded
// by a mutex that is never held across a wait or a selector call, so a second request during
// a run is refused at once and new delays can be set while a run sleeps.
class ReconnectOrchestrator {
  public:
    // A pause longer than this is cut to it: one stored number must not park the reconnect
    // for days (every later request would be refused as a duplicate meanwhile).
    static constexpr double kMaxDelaySeconds = 3600.0;

    // How long a run for a newer intent waits for the one it replaces to reach its next step.
    static constexpr std::chrono::seconds kTakeOverWait{10};

    // `intent` may be null: runs then serve no intent and always run to their end.
    ReconnectOrchestrator(std::shared_ptr<AudioOutputSelector> primarySelector,
                          std::shared_ptr<AudioOutputSelector> fallbackSelector,
                          std::shared_ptr<const AccessibilityTrust> trust,
                          std::shared_ptr<Clock> clock, std::shared_ptr<LogSink> logSink,
                          std::shared_ptr<SoundIntent> intent = nullptr);
    ~ReconnectOrchestrator();
    ReconnectOrchestrator(const ReconnectOrchestrator&) = delete;
    ReconnectOrchestrator& operator=(const ReconnectOrchestrator&) = delete;

    // What the person asked for last; null when runs serve no intent.
    const std::shared_ptr<SoundIntent>& intent() const { return intent_; }

    // Replaces the delay list for the runs that start after this call.
    void updateRetryDelays(std::vector<double> delays);

    // Selects `deviceName` (used exactly as given) and returns when the run is over, or at
    // once when the request is refused. A stop request cuts the pauses short; the selectors
    // then fail their attempts quickly. With `serves`, the run ends at its next step once that
    // intent no longer holds (also before its first).
    ReconnectResult reconnect(const std::string& deviceName, const std::stop_token& stop = {},
                              const std::optional<Intent>& serves = std::nullopt);

    // The best output of `ranking`: an output ranked above the preferred one when one is there
    // (left as it is when it plays, else selected with one attempt); otherwise the preferred
    // output as `reconnect` selects it, and when the run gives up on that, the first entry of
    // the list that is there (one attempt). One run from start to end: other requests are
    // refused meanwhile.
    ReconnectResult reconnectBest(const OutputRanking& ranking, const std::stop_token& stop = {},
                                  const std::optional<Intent>& serves = std::nullopt);

    // Where the steps around the preferred output learn which outputs are there; without it
    // they find none. Set it before the first run.
    void setPresentOutputs(std::function<SoundOutputs::List()> read);

    // The output may be there now: the run under way starts its next attempt at once instead
    // of waiting out its pause (also when the call comes during an attempt). Any thread.
    void hurry();

    // The application is quitting: the run under way ends after its current step without
    // further attempts, and later requests are refused. Any thread.
    void cancelForQuit();

    // Called with the outcome at the end of every run that was not refused, on the run's
    // thread. Set it before the first run.
    void setRunEndedHandler(std::function<void(const ReconnectResult&)> handler);

    // Called with the output's name each time a run sets out to select one (the output asked
    // for, then an entry of the list), on the run's thread, before anything is pressed. Set it
    // before the first run.
    void setSelectingHandler(std::function<void(const std::string& output)> handler);

    bool isRunning() const;
    std::vector<double> retryDelays() const;

  private:
    // Steps that may refuse the request; on acceptance marks the run and returns its delays.
    std::optional<ReconnectResult> beginRun(const std::string& deviceName,
                                            const std::optional<Intent>& serves,
                                            std::vector<double>& delays);
    void endRun();
    ReconnectResult reconnectWith(const std::string& deviceName, const OutputRanking* ranking,
                                  const std::stop_token& stop, const std::optional<Intent>& serves);
    SoundOutputs::List presentOutputs() const;
    std::optional<ReconnectResult> selectAbove(const OutputRanking& ranking,
                                               const std::stop_token& stop);
    std::optional<ReconnectResult> selectFromList(const OutputRanking& ranking,
                                                  const std::stop_token& stop);
    std::optional<ReconnectResult> selectOnce(const std::string& name, RankPlace place,
                                              const std::stop_token& stop);
    void announceSelecting(const std::string& output) const;
    ReconnectResult run(const std::string& deviceName, const std::vector<double>& delays,
                        const std::stop_token& stop);
    void pauseBeforeAttempt(double delay, std::size_t attempt, const std::stop_token& stop);
    std::optional<ReconnectResult> attempt(const std::string& deviceName, std::size_t attempt,
                                           std::size_t attempts, const std::stop_token& stop,
                                           std::string& lastError);
    std::optional<ReconnectResult> attemptFailed(const std::exception_ptr& error,
                                                 const std::string& deviceName, std::size_t attempt,
                                                 std::size_t attempts, std::string& lastError);
    // The run's end when the intent it serves no longer holds (said once in the log).
    std::optional<ReconnectResult> endIfSuperseded(const std::string& deviceName);
    void intentChanged(const Intent& now);
    bool isQuitting() const;

    Logger logger_;
    std::shared_ptr<AudioOutputSelector> primarySelector_;
    std::shared_ptr<AudioOutputSelector> fallbackSelector_;
    std::shared_ptr<const AccessibilityTrust> trust_;
    std::shared_ptr<Clock> clock_;
    std::shared_ptr<SoundIntent> intent_;

    mutable std::mutex mutex_;
    std::condition_variable_any runFinished_;
    std::vector<double> retryDelays_{0.0, 1.0, 2.0, 4.0};
    bool isRunning_ = false;
    bool quitting_ = false;
    // The intent the run under way serves, and what cuts its waits and its menu short when
    // that intent stops holding.
    std::optional<Intent> serving_;
    std::stop_source runCut_;
    Subscription intentSubscription_;
    std::function<void(const ReconnectResult&)> runEnded_;
    std::function<void(const std::string&)> selecting_;
    std::function<SoundOutputs::List()> presentOutputs_;
    // Cuts the pause under way short; `hurried_` remembers a call that came between pauses.
    std::stop_source pauseCut_;
    bool hurried_ = false;
};

}  // namespace tonvera
