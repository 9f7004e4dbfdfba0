#include "selection/shell_script_audio_output_selector.h"

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "selection/cancellation_error.h"
#include "selection/output_selection_error.h"
#include "selection/shell_script_texts.h"
#include "selection/unicode_text.h"

namespace tonvera {
namespace {

// The scripts' output lines: key, internal name, "*" or "-", and the visible name with "%"
// and line breaks written as "%25" and "%0A".
std::vector<DiscoveredOutput> parseOutputs(const std::string& text) {
    std::vector<DiscoveredOutput> outputs;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        constexpr auto none = std::string::npos;
        const auto keyEnd = line.find('\t');
        const auto nameEnd = keyEnd == none ? none : line.find('\t', keyEnd + 1);
        const auto flagEnd = nameEnd == none ? none : line.find('\t', nameEnd + 1);
        if (flagEnd == none) {
            continue;
        }
        DiscoveredOutput output{{}, line.compare(nameEnd + 1, flagEnd - nameEnd - 1, "*") == 0};
        for (std::size_t i = flagEnd + 1; i < line.size(); ++i) {
            if (line.compare(i, 3, "%25") == 0 || line.compare(i, 3, "%0A") == 0) {
                output.name.push_back(line[i + 1] == '2' ? '%' : '\n');
                i += 2;
            } else {
                output.name.push_back(line[i]);
            }
        }
        outputs.push_back(std::move(output));
    }
    return outputs;
}

std::string trimmed(std::string_view text) {
    return std::string(unicode_text::trimmedOfWhitespaceAndNewlines(text));
}

}  // namespace

ShellScriptAudioOutputSelector::ShellScriptAudioOutputSelector(
    std::shared_ptr<ScriptRunner> runner, std::shared_ptr<LogSink> logSink,
    std::chrono::milliseconds scriptTimeout)
    : runner_(std::move(runner)),
      logger_(makeAirPlayLogger(std::move(logSink))),
      scriptTimeout_(scriptTimeout) {}

void ShellScriptAudioOutputSelector::selectDevice(const std::string& name, std::stop_token stop) {
    // The route's log lines keep their historical wording.
    logger_.info("[AirPlay] AppleScript fallback: selecting {}", name);
    const std::string said = run(shell_script::selectionScript(), name, stop);
    logger_.info("[AirPlay] Selection script ({}): {}", runner_->name(), trimmed(said));
    logger_.info("[AirPlay] AppleScript fallback succeeded for {}", name);
}

std::vector<std::string> ShellScriptAudioOutputSelector::discoverDevices(std::stop_token stop) {
    std::vector<std::string> names;
    for (auto& output : discoverOutputs(stop)) {
        names.push_back(std::move(output.name));
    }
    return names;
}

std::vector<DiscoveredOutput> ShellScriptAudioOutputSelector::discoverOutputs(
    const std::stop_token& stop) {
    return parseOutputs(run(shell_script::discoveryScript(), {}, stop));
}

std::string ShellScriptAudioOutputSelector::run(const std::string& script, const std::string& name,
                                                const std::stop_token& stop) {
    // The servers' names are composed as a rule; a name typed on another system may not be.
    ProcessResult result =
        runner_->run(script, {unicode_text::composed(name), unicode_text::decomposed(name)},
                     scriptTimeout_, stop);
    switch (result.ending) {
        case ProcessResult::Ending::timedOut:
            throw OutputSelectionError::timedOut(runner_->name(), scriptTimeout_);
        case ProcessResult::Ending::cancelled:
            throw CancellationError();
        case ProcessResult::Ending::exited:
            break;
    }
    switch (result.exitStatus) {
        case 0:
            return std::move(result.standardOutput);
        case shell_script::kExitNoSoundServer:
            throw OutputSelectionError::noSoundServer();
        case shell_script::kExitNotFound: {
            std::vector<std::string> names;
            for (auto& output : parseOutputs(result.standardOutput)) {
                names.push_back(std::move(output.name));
            }
            throw OutputSelectionError::notFound(name, std::move(names));
        }
        default:
            break;
    }
    std::string message = trimmed(result.standardError);
    if (message.empty()) {
        message = trimmed(result.standardOutput);
    }
    if (message.empty()) {
        message = runner_->name() + " ended with status " + std::to_string(result.exitStatus);
    }
    throw OutputSelectionError::failed(std::move(message));
}

}  // namespace tonvera
