#include "selection/apple_script_audio_output_selector.h"

#include <array>
#include <utility>

#include "selection/accessibility_error.h"
#include "selection/apple_script_texts.h"
#include "selection/cancellation_error.h"
#include "selection/unicode_text.h"

namespace tonvera {
namespace {

// Markers of a refused accessibility access in the script runner's German and English words.
constexpr std::array<std::string_view, 4> kPermissionMarkers = {
    "keine berechtigung", "hilfszugriff", "not allowed", "assistive"};

std::string replaceAll(std::string_view text, char from, std::string_view to) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        if (c == from) {
            result.append(to);
        } else {
            result.push_back(c);
        }
    }
    return result;
}

// Bytes that are not UTF-8 decode to the empty text.
std::string decoded(std::string bytes) {
    return unicode_text::isValidUtf8(bytes) ? std::move(bytes) : std::string();
}

}  // namespace

AppleScriptAudioOutputSelector::AppleScriptAudioOutputSelector(
    std::shared_ptr<ProcessLauncher> launcher, std::shared_ptr<LogSink> logSink,
    std::chrono::milliseconds scriptTimeout)
    : launcher_(std::move(launcher)),
      logger_(makeAirPlayLogger(std::move(logSink))),
      scriptTimeout_(scriptTimeout) {}

std::string AppleScriptAudioOutputSelector::escapeForAppleScript(std::string_view name) {
    return replaceAll(replaceAll(name, '\\', "\\\\"), '"', "\\\"");
}

std::string AppleScriptAudioOutputSelector::selectionScript(std::string_view name) {
    const std::string escaped = escapeForAppleScript(name);
    std::string script;
    script.reserve(apple_script::kSelectionScriptHead.size() +
                   apple_script::kSelectionScriptMiddle.size() +
                   apple_script::kSelectionScriptTail.size() + 2 * escaped.size());
    script.append(apple_script::kSelectionScriptHead)
        .append(escaped)
        .append(apple_script::kSelectionScriptMiddle)
        .append(escaped)
        .append(apple_script::kSelectionScriptTail);
    return script;
}

std::vector<std::string> AppleScriptAudioOutputSelector::parseDeviceList(std::string_view output) {
    std::vector<std::string> names;
    const std::string_view all = unicode_text::trimmedOfWhitespaceAndNewlines(output);
    if (all.empty()) {
        return names;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t separator = all.find(", ", start);
        const auto part = unicode_text::trimmedOfWhitespaceAndNewlines(
            all.substr(start, separator == std::string_view::npos ? std::string_view::npos
                                                                  : separator - start));
        if (!part.empty()) {
            names.emplace_back(part);
        }
        if (separator == std::string_view::npos) {
            return names;
        }
        start = separator + 2;
    }
}

void AppleScriptAudioOutputSelector::selectDevice(const std::string& name, std::stop_token stop) {
    logger_.info("[AirPlay] AppleScript fallback: selecting {}", name);
    static_cast<void>(runAppleScriptWithOutput(selectionScript(name), stop));
    logger_.info("[AirPlay] AppleScript fallback succeeded for {}", name);
}

std::vector<std::string> AppleScriptAudioOutputSelector::discoverDevices(std::stop_token stop) {
    return parseDeviceList(
        runAppleScriptWithOutput(std::string(apple_script::kDiscoveryScript), stop));
}

std::string AppleScriptAudioOutputSelector::runAppleScriptWithOutput(const std::string& script,
                                                                     const std::stop_token& stop) {
    // A ProcessLaunchError passes through unchanged: it is not a selection error.
    ProcessResult result = launcher_->run(kScriptRunner, {"-e", script}, scriptTimeout_, stop);
    switch (result.ending) {
        case ProcessResult::Ending::timedOut:
            throw AccessibilityError::timeout();
        case ProcessResult::Ending::cancelled:
            throw CancellationError();
        case ProcessResult::Ending::exited:
            break;
    }
    std::string output = decoded(std::move(result.standardOutput));
    if (result.exitStatus == 0) {
        return output;
    }
    std::string errorOutput = decoded(std::move(result.standardError));
    std::string message = errorOutput.empty() ? std::move(output) : std::move(errorOutput);
    const std::string lowered = unicode_text::lowercased(message);
    for (const auto marker : kPermissionMarkers) {
        if (lowered.find(marker) != std::string::npos) {
            throw AccessibilityError::permissionMissing();
        }
    }
    throw AccessibilityError::unknown(std::move(message));
}

}  // namespace tonvera
