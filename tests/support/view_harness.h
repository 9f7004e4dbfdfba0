#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/testing/manual_task_runner.h"
#include "platform/testing/memory_log_sink.h"
#include "platform/testing/memory_user_defaults.h"
#include "platform/testing/recording_application.h"
#include "platform/testing/recording_workspace.h"
#include "platform/testing/scripted_desktop_readiness.h"
#include "platform/testing/scripted_launcher.h"
#include "platform/testing/scripted_sound_menu.h"
#include "platform/testing/sound_menu_scene.h"
#include "platform/testing/source_localizer.h"
#include "platform/testing/virtual_time.h"
#include "reconnect/reconnect_orchestrator.h"
#include "settings/app_settings.h"
#include "ui/onboarding_view.h"
#include "ui/settings_view.h"
#include "ui/view_services.h"

namespace tonvera::testing {

// A window's surroundings in virtual time: the scripted Sound menu (which also holds the
// permission), a launcher for the script route, settings in memory and a real orchestrator.
// Background work waits in `tasks` until settle() lets it run.
struct ViewHarness {
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>();
    std::shared_ptr<ScriptedSoundMenu> menu = std::make_shared<ScriptedSoundMenu>(time);
    std::shared_ptr<ManualTaskRunner> tasks = std::make_shared<ManualTaskRunner>();
    std::shared_ptr<ScriptedLauncher> launcher = std::make_shared<ScriptedLauncher>();
    std::shared_ptr<RecordingWorkspace> workspace = std::make_shared<RecordingWorkspace>();
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
    std::shared_ptr<AppSettings> settings = std::make_shared<AppSettings>(defaults);
    // The views look their texts up in `localizer`: the English sources unless one is set.
    std::shared_ptr<SourceLocalizer> sourceTexts = std::make_shared<SourceLocalizer>();
    std::shared_ptr<Localizer> localizer = sourceTexts;
    std::shared_ptr<RecordingApplication> application = std::make_shared<RecordingApplication>();
    SelectorFactory selectors{menu, menu, workspace, menu, launcher, time, log};
    std::shared_ptr<ReconnectOrchestrator> orchestrator = std::make_shared<ReconnectOrchestrator>(
        selectors.makeNative(), selectors.makeScript(), menu, time, log);
    int updateChecks = 0;
    int finishCalls = 0;
    std::string version = "1.2.3";
    // Set it to show the desktop's readiness instead of the permission.
    std::shared_ptr<ScriptedDesktopReadiness> readiness;

    ViewHarness() { time->setAutoAdvance(true); }

    ViewServices services() const {
        return ViewServices{time,        time, tasks,   selectors, localizer,
                            application, log,  version, readiness};
    }

    // Lets queued background work run and delivers its results on the main queue.
    void settle() {
        tasks->runPending();
        time->advanceBy(std::chrono::nanoseconds::zero());
    }

    std::shared_ptr<SettingsView> makeView(std::shared_ptr<ReconnectOrchestrator> target) {
        return SettingsView::create(
            settings, std::move(target), [this] { ++updateChecks; }, services());
    }

    std::shared_ptr<OnboardingView> makeView() {
        return OnboardingView::create(
            settings, orchestrator, [this] { ++finishCalls; }, services());
    }
};
using SettingsViewHarness = ViewHarness;
using OnboardingHarness = ViewHarness;

}  // namespace tonvera::testing
