#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/testing/manual_task_runner.h"
#include "platform/testing/memory_log_sink.h"
#include "platform/testing/memory_user_defaults.h"
#include "platform/testing/recording_application.h"
#include "platform/testing/recording_workspace.h"
#include "platform/testing/scripted_launcher.h"
#include "platform/testing/scripted_sound_menu.h"
#include "platform/testing/sound_menu_scene.h"
#include "platform/testing/source_localizer.h"
#include "platform/testing/trust_switch.h"
#include "platform/testing/virtual_time.h"
#include "ui/settings_view.h"

namespace tonvera::testing {

// A Settings window's view over a scripted Sound menu, a scripted osascript and the real
// orchestrator, in virtual time: background work runs when settle() says so.
struct SettingsViewHarness {
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>();
    std::shared_ptr<ScriptedSoundMenu> menu = std::make_shared<ScriptedSoundMenu>(time);
    std::shared_ptr<ScriptedLauncher> launcher = std::make_shared<ScriptedLauncher>();
    std::shared_ptr<RecordingWorkspace> workspace = std::make_shared<RecordingWorkspace>();
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    std::shared_ptr<ManualTaskRunner> tasks = std::make_shared<ManualTaskRunner>();
    std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
    std::shared_ptr<AppSettings> settings = std::make_shared<AppSettings>(defaults);
    std::shared_ptr<SourceLocalizer> sourceTexts = std::make_shared<SourceLocalizer>();
    // What the view looks its texts up in: the English sources unless a test sets another.
    std::shared_ptr<Localizer> localizer = sourceTexts;
    std::shared_ptr<RecordingApplication> application = std::make_shared<RecordingApplication>();
    SelectorFactory selectors{menu, menu, workspace, menu, launcher, time, log};
    std::shared_ptr<ReconnectOrchestrator> orchestrator = std::make_shared<ReconnectOrchestrator>(
        selectors.makeNative(), selectors.makeScript(), std::make_shared<TrustSwitch>(true), time,
        log);
    int updateChecks = 0;
    std::string version = "1.2.3";

    SettingsViewHarness() { time->setAutoAdvance(true); }

    std::shared_ptr<SettingsView> makeView(std::shared_ptr<ReconnectOrchestrator> target) {
        return SettingsView::create(
            settings, std::move(target), [this] { ++updateChecks; },
            ViewServices{time, time, tasks, selectors, localizer, application, log, version});
    }

    // Runs the queued background work to its end, then the main-queue blocks it posted.
    void settle() {
        tasks->runPending();
        time->advanceBy(std::chrono::nanoseconds(0));
    }
};

}  // namespace tonvera::testing
