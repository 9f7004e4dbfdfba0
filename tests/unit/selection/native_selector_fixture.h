#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/testing/memory_log_sink.h"
#include "platform/testing/scripted_sound_menu.h"
#include "platform/testing/sound_menu_scene.h"
#include "platform/testing/virtual_time.h"
#include "selection/accessibility_error.h"
#include "selection/native_accessibility_audio_output_selector.h"
#include "platform/testing/recording_workspace.h"

namespace tonvera::testing {

struct NativeSelectorFixture : ::testing::Test {
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>();
    std::shared_ptr<ScriptedSoundMenu> menu = std::make_shared<ScriptedSoundMenu>(time);
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    NativeAccessibilityAudioOutputSelector selector{
        AccessibilityHelper(menu, menu, std::make_shared<RecordingWorkspace>()), menu, time, log};

    NativeSelectorFixture() { time->setAutoAdvance(true); }

    // Runs `call` and returns the AccessibilityError it must throw.
    static AccessibilityError errorOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const AccessibilityError& error) {
            return error;
        }
        ADD_FAILURE() << "no AccessibilityError was thrown";
        return AccessibilityError::unknown("nothing thrown");
    }
};

}  // namespace tonvera::testing
