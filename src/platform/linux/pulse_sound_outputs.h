#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/logger.h"
#include "platform/main_queue.h"
#include "platform/sound_outputs.h"

namespace tonvera {

// The sound server's sinks as outputs (PulseAudio, or PipeWire with its PulseAudio interface),
// named by their descriptions. The first watch connects and subscribes to sink and server
// events; the last watch to go disconnects and ends the loop thread. Each list that differs
// from the one before reaches every watch through the main queue.
class PulseSoundOutputs final : public SoundOutputs {
  public:
    struct Options {
        // A libpulse server address; nothing means the user's usual server.
        std::optional<std::string> server;
    };

    PulseSoundOutputs(std::shared_ptr<MainQueue> mainQueue, Options options,
                      std::shared_ptr<LogSink> logSink);
    ~PulseSoundOutputs() override;

    PulseSoundOutputs(const PulseSoundOutputs&) = delete;
    PulseSoundOutputs& operator=(const PulseSoundOutputs&) = delete;

    std::unique_ptr<SoundOutputsWatch> watch(Handler handler) override;
    List read(std::chrono::milliseconds timeout) override;

    // The outputs and the default as one new client sees them, or nothing when no server
    // answers within `timeout`. For callers without a main queue, such as the command line.
    static List readOnce(const std::optional<std::string>& server,
                         std::chrono::milliseconds timeout);

  private:
    std::optional<std::string> server_;
    // The watches and the connection; a watch keeps it alive, so it may outlive this object.
    class Hub;
    std::shared_ptr<Hub> hub_;
};

}  // namespace tonvera
