#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/logger.h"
#include "platform/main_queue.h"
#include "platform/sound_outputs.h"
#include "platform/task_runner.h"
#include "reconnect/reconnect_orchestrator.h"
#include "settings/app_settings.h"
#include "settings/subscription.h"

namespace tonvera {

// Brings the sound back when the preferred speaker returns late. After a wake or the login run
// it watches the sound server's outputs for a while (the follow window); when an output with
// the preferred name appears, it selects it through the orchestrator at once, or hurries the
// run under way past its pause. With "switch whenever it appears" on, it watches all the time.
//
// Only an appearance starts a run: an output that was there all along, or the person picking
// another output by hand, never does. Nothing is watched (no connection to the sound server,
// no timer) while no window runs and the setting is off. Main thread only.
class SpeakerFollower : public std::enable_shared_from_this<SpeakerFollower> {
  public:
    // Told once when a follow window ends without the speaker: its name and the name of the
    // output the sound plays on now (empty when unknown).
    using StayedAwayHandler =
        std::function<void(const std::string& speaker, const std::string& currentOutput)>;

    static std::shared_ptr<SpeakerFollower> create(
        std::shared_ptr<SoundOutputs> outputs, std::shared_ptr<AppSettings> settings,
        std::shared_ptr<ReconnectOrchestrator> orchestrator, std::shared_ptr<TaskRunner> tasks,
        std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<LogSink> logSink);

    SpeakerFollower(const SpeakerFollower&) = delete;
    SpeakerFollower& operator=(const SpeakerFollower&) = delete;

    // Follows the setting from now on; watches at once when it is on.
    void start(StayedAwayHandler onStayedAway);

    // A wake or login run begins: watch for the speaker for the settings' follow window (three
    // minutes unless the settings file says otherwise).
    void followForAWhile();

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
                    std::shared_ptr<LogSink> logSink);

  private:
    void outputsChanged(const std::vector<SoundOutput>& outputs);
    void speakerAppeared(const std::string& speaker);
    void startRun(const std::string& speaker);
    void runEnded(const ReconnectResult& result);
    void windowEnded(std::uint64_t window);
    void endWindow();
    void updateWatch();
    bool isSpeaker(const SoundOutput& output) const;
    bool speakerIsPresent() const;
    bool speakerIsSelected() const;

    Logger logger_;
    std::shared_ptr<SoundOutputs> outputs_;
    std::shared_ptr<AppSettings> settings_;
    std::shared_ptr<ReconnectOrchestrator> orchestrator_;
    std::shared_ptr<TaskRunner> tasks_;
    std::shared_ptr<MainQueue> mainQueue_;
    StayedAwayHandler onStayedAway_;
    std::vector<Subscription> subscriptions_;

    std::unique_ptr<SoundOutputsWatch> watch_;
    // The latest list; empty until the watch delivered one.
    std::optional<std::vector<SoundOutput>> latest_;
    bool followAlways_ = false;
    bool windowOpen_ = false;
    std::uint64_t window_ = 0;
    bool runStarted_ = false;
    // The speaker appeared while someone else's run was under way: if that run fails anyway,
    // one more follows.
    bool retryAfterRun_ = false;
    bool stopped_ = false;
};

}  // namespace tonvera
