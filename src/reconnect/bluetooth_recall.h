#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bluetooth_devices.h"
#include "platform/logger.h"
#include "platform/main_queue.h"
#include "platform/sound_outputs.h"
#include "platform/task_runner.h"
#include "reconnect/output_ranking.h"
#include "reconnect/sound_intent.h"
#include "settings/app_settings.h"

namespace tonvera {

// Brings back a Bluetooth output that did not reconnect by itself: Bluetooth reconnects only
// what was connected when the computer went to sleep, and a speaker switched off or dropped
// before is never tried again. After a wake (once Bluetooth's own resume delay has passed), at
// login and on Connect now, the best-ranked output that is not there is looked up: when it is a
// Bluetooth device Tonvera has seen, paired, not connected, its adapter on, and not disconnected
// by the person since the ranking was last asked for, Bluetooth is asked to connect it (bounded,
// a few tries with growing pauses). Its output then appears, and the follower selects it.
//
// Never pairs, trusts, disconnects or powers anything, and never reaches past the best-ranked
// output that is not there: a headset shared with a phone is not pulled over for an entry lower
// down. Main thread only; the Bluetooth calls run on the task pool.
class BluetoothRecall : public std::enable_shared_from_this<BluetoothRecall> {
  public:
    // Bluetooth's own reconnect waits about two seconds after a resume; a margin more.
    static constexpr std::chrono::seconds kResumeDelay{3};
    static constexpr std::chrono::seconds kConnectBound{10};
    static constexpr std::chrono::seconds kLookUpBound{2};
    static constexpr int kMaxTries = 3;
    // Before the second try, in the settings' retry intervals (5 s by default), at least a
    // second and at most a minute; each later pause is twice the one before.
    static constexpr double kFirstPauseInIntervals = 5.0;

    // What the last recall of an output came to, for the notice when it stays away.
    enum class Outcome { none, connected, didNotConnect };

    // The outputs the sound server lists now, when known.
    using PresentOutputs = std::function<std::optional<std::vector<SoundOutput>>()>;

    // `devices` may be null (no Bluetooth on this system): nothing is then recalled.
    static std::shared_ptr<BluetoothRecall> create(std::shared_ptr<BluetoothDevices> devices,
                                                   std::shared_ptr<AppSettings> settings,
                                                   std::shared_ptr<SoundIntent> intent,
                                                   std::shared_ptr<TaskRunner> tasks,
                                                   std::shared_ptr<MainQueue> mainQueue,
                                                   std::shared_ptr<LogSink> logSink);

    BluetoothRecall(const BluetoothRecall&) = delete;
    BluetoothRecall& operator=(const BluetoothRecall&) = delete;

    // Recalls the best-ranked output that is not there, first after `delay`, up to `tries`
    // times. Replaces a recall under way.
    void start(OutputRanking ranking, std::chrono::milliseconds delay, int tries,
               PresentOutputs present);
    // No further tries (the follow window ended, or Tonvera quits).
    void stop();

    // Remembers the Bluetooth address of every ranked output in `outputs` that is a Bluetooth
    // device; a device that is not connected has no output to read it from.
    void learn(const std::vector<SoundOutput>& outputs, const OutputRanking& ranking);

    Outcome outcomeFor(std::string_view name) const;

  private:
    struct Private {};

  public:
    BluetoothRecall(Private, std::shared_ptr<BluetoothDevices> devices,
                    std::shared_ptr<AppSettings> settings, std::shared_ptr<SoundIntent> intent,
                    std::shared_ptr<TaskRunner> tasks, std::shared_ptr<MainQueue> mainQueue,
                    std::shared_ptr<LogSink> logSink);

  private:
    struct Candidate {
        std::string name;
        std::string address;
    };
    // How one try ended: whether to try again, what became of the output, and why Bluetooth
    // could not be asked at all (empty when it could).
    struct TryResult {
        bool tryAgain = false;
        std::optional<Outcome> outcome;
        std::string unavailable;
    };

    void scheduleTry(std::chrono::milliseconds delay);
    void tryNow(std::uint64_t recall);
    std::optional<Candidate> candidate() const;
    TryResult attempt(const Candidate& candidate, const std::stop_token& stop) const;
    void tried(std::uint64_t recall, const Candidate& candidate, const TryResult& result);
    void disconnected(const std::string& address);

    Logger logger_;
    std::shared_ptr<BluetoothDevices> devices_;
    std::shared_ptr<AppSettings> settings_;
    std::shared_ptr<SoundIntent> intent_;
    std::shared_ptr<TaskRunner> tasks_;
    std::shared_ptr<MainQueue> mainQueue_;

    OutputRanking ranking_;
    PresentOutputs present_;
    // Counts recalls; a timer or a try of an earlier one finds it changed and does nothing.
    std::uint64_t recall_ = 0;
    int triesLeft_ = 0;
    std::chrono::milliseconds nextPause_{};
    std::unique_ptr<BluetoothDevicesWatch> disconnects_;
    std::map<std::string, Outcome, std::less<>> outcomes_;
    // Why Bluetooth could not be asked, as last logged: said once, not at every wake.
    std::string unavailable_;
};

}  // namespace tonvera
