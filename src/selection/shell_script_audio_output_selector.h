#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/logger.h"
#include "platform/script_runner.h"
#include "selection/audio_output_selector.h"

namespace tonvera {

// The script route on Linux: selects and lists outputs with the sound server's own tools, run
// in a shell script (shell_script_texts.h) that gets the output's name as an argument. It
// needs nothing of the Sound menu's route, so it still works where that route cannot reach
// the server. Its failures are OutputSelectionErrors; the runner's launch error and a
// CancellationError pass through.
class ShellScriptAudioOutputSelector final : public AudioOutputSelector {
  public:
    // A healthy server answers the script's few requests in well under a second; the bound
    // only ends a tool that hangs on a server that has stopped answering, so that it does not
    // hold every later reconnect with it.
    static constexpr std::chrono::milliseconds kDefaultScriptTimeout = std::chrono::seconds(10);

    ShellScriptAudioOutputSelector(std::shared_ptr<ScriptRunner> runner,
                                   std::shared_ptr<LogSink> logSink,
                                   std::chrono::milliseconds scriptTimeout = kDefaultScriptTimeout);

    // Matches the name as given, in its composed and its decomposed form.
    void selectDevice(const std::string& name, std::stop_token stop) override;
    std::vector<std::string> discoverDevices(std::stop_token stop) override;
    std::vector<DiscoveredOutput> discoverOutputs(const std::stop_token& stop) override;

  private:
    // Runs `script`; returns its standard output when it succeeded, throws otherwise.
    std::string run(const std::string& script, const std::string& name,
                    const std::stop_token& stop);

    std::shared_ptr<ScriptRunner> runner_;
    Logger logger_;
    std::chrono::milliseconds scriptTimeout_;
};

}  // namespace tonvera
