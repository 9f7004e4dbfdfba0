#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/logger.h"
#include "platform/process_launcher.h"
#include "selection/audio_output_selector.h"

namespace tonvera {

// Selects outputs by handing an AppleScript to /usr/bin/osascript, which works the Sound menu
// through System Events. The fallback when the accessibility route fails.
class AppleScriptAudioOutputSelector final : public AudioOutputSelector {
  public:
    static constexpr const char* kScriptRunner = "/usr/bin/osascript";

    // One hung script must not hold a reconnect (and so every later reconnect) forever.
    static constexpr std::chrono::milliseconds kDefaultScriptTimeout = std::chrono::seconds(60);

    AppleScriptAudioOutputSelector(std::shared_ptr<ProcessLauncher> launcher,
                                   std::shared_ptr<LogSink> logSink,
                                   std::chrono::milliseconds scriptTimeout = kDefaultScriptTimeout);

    void selectDevice(const std::string& name, std::stop_token stop) override;
    std::vector<std::string> discoverDevices(std::stop_token stop) override;

    // Runs `script` and returns its standard output, unchanged. Fails with permissionMissing
    // or unknown (the script's message) on a non-zero exit, with timeout when the bound
    // passes, with the launch error when osascript cannot be started, and with a
    // CancellationError when `stop` is requested.
    std::string runAppleScriptWithOutput(const std::string& script, const std::stop_token& stop);

    // `name` as the inside of an AppleScript string literal: backslashes doubled, then
    // double quotes escaped; nothing else changes.
    static std::string escapeForAppleScript(std::string_view name);

    // The selection script for `name`.
    static std::string selectionScript(std::string_view name);

    // The names in a discovery output: trimmed, split at ", ", each trimmed, empties dropped.
    static std::vector<std::string> parseDeviceList(std::string_view output);

  private:
    std::shared_ptr<ProcessLauncher> launcher_;
    Logger logger_;
    std::chrono::milliseconds scriptTimeout_;
};

}  // namespace tonvera
