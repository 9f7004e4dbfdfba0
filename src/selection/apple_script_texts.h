#pragma once

#include <string_view>

// The AppleScript programs that work the Sound menu through System Events.
namespace tonvera::apple_script {

// The selection script is head + escaped name + middle + escaped name + tail: the head ends
// inside the identifier's string literal, the middle inside the error message's literal.
extern const std::string_view kSelectionScriptHead;
extern const std::string_view kSelectionScriptMiddle;
extern const std::string_view kSelectionScriptTail;

// Prints the output names, joined by ", ".
extern const std::string_view kDiscoveryScript;

}  // namespace tonvera::apple_script
