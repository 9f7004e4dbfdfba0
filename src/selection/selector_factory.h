#pragma once

#include <memory>

#include "platform/accessibility.h"
#include "platform/clock.h"
#include "platform/keyboard_events.h"
#include "platform/logger.h"
#include "platform/process_launcher.h"
#include "platform/running_applications.h"
#include "platform/script_runner.h"
#include "platform/workspace.h"
#include "selection/accessibility_helper.h"
#include "selection/apple_script_audio_output_selector.h"
#include "selection/native_accessibility_audio_output_selector.h"
#include "selection/shell_script_audio_output_selector.h"

namespace tonvera {

// Everything a selector is made of. Every reconnect owner and every discovery gets fresh
// selectors from here, each with its own accessibility helper and logger.
struct SelectorFactory {
    std::shared_ptr<Accessibility> accessibility;
    std::shared_ptr<RunningApplications> applications;
    std::shared_ptr<Workspace> workspace;
    std::shared_ptr<KeyboardEvents> keyboard;
    std::shared_ptr<ProcessLauncher> launcher;
    std::shared_ptr<Clock> clock;
    std::shared_ptr<LogSink> logSink;
    // Where the script route is a shell script (Linux), what runs it; without one the script
    // route is the AppleScript one.
    std::shared_ptr<ScriptRunner> shellScriptRunner;

    AccessibilityHelper makeHelper() const { return {accessibility, applications, workspace}; }

    std::shared_ptr<NativeAccessibilityAudioOutputSelector> makeNative() const {
        return std::make_shared<NativeAccessibilityAudioOutputSelector>(makeHelper(), keyboard,
                                                                        clock, logSink);
    }

    std::shared_ptr<AudioOutputSelector> makeScript() const {
        if (shellScriptRunner) {
            return std::make_shared<ShellScriptAudioOutputSelector>(shellScriptRunner, logSink);
        }
        return std::make_shared<AppleScriptAudioOutputSelector>(launcher, logSink);
    }
};

}  // namespace tonvera
