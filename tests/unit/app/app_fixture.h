#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_environment.h"
#include "platform/http_client.h"
#include "platform/testing/manual_system_events.h"
#include "platform/testing/manual_task_runner.h"
#include "platform/testing/memory_log_sink.h"
#include "platform/testing/memory_login_item.h"
#include "platform/testing/memory_user_defaults.h"
#include "platform/testing/recording_alerts.h"
#include "platform/testing/recording_application.h"
#include "platform/testing/recording_notifications.h"
#include "platform/testing/recording_status_item.h"
#include "platform/testing/recording_window_host.h"
#include "platform/testing/recording_workspace.h"
#include "platform/testing/scripted_launcher.h"
#include "platform/testing/scripted_sound_menu.h"
#include "platform/testing/scripted_sound_outputs.h"
#include "platform/testing/sound_menu_scene.h"
#include "platform/testing/source_localizer.h"
#include "platform/testing/virtual_time.h"

namespace tonvera::testing {

// Answers every request with the body the test set, or fails with its error.
class CannedHttpClient final : public HttpClient {
  public:
    std::string get(const std::string& /*address*/, const std::stop_token& /*stop*/) override {
        if (!error.empty()) {
            throw HttpError(error);
        }
        return body;
    }
    std::string body = R"({"version": "0.1.0", "url": "https://example.org/tonvera"})";
    std::string error;
};

class FixedSystemInfo final : public SystemInfo {
  public:
    OperatingSystemVersion operatingSystemVersion() const override { return {"Linux", 6, 1, 0}; }
};

// The whole application environment made of doubles, in virtual time. Background tasks run
// when the test calls runTasks(); the clock then moves through their waits by itself.
struct AppFixture : ::testing::Test {
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>();
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
    std::shared_ptr<ScriptedSoundMenu> soundMenu = std::make_shared<ScriptedSoundMenu>(time);
    SoundMenuScene scene =
        SoundMenuScene::build(*soundMenu, {"Arbeitszimmer", "Wohnzimmer", "Küche Radio"});
    std::shared_ptr<ManualTaskRunner> tasks = std::make_shared<ManualTaskRunner>();
    std::shared_ptr<ScriptedLauncher> launcher = std::make_shared<ScriptedLauncher>();
    std::shared_ptr<RecordingWorkspace> workspace = std::make_shared<RecordingWorkspace>();
    std::shared_ptr<RecordingApplication> application = std::make_shared<RecordingApplication>();
    std::shared_ptr<RecordingAlerts> alerts = std::make_shared<RecordingAlerts>();
    std::shared_ptr<RecordingWindowHost> windows = std::make_shared<RecordingWindowHost>();
    std::shared_ptr<RecordingStatusItem> statusItem = std::make_shared<RecordingStatusItem>();
    std::shared_ptr<MemoryLoginItem> loginItem = std::make_shared<MemoryLoginItem>();
    std::shared_ptr<ManualSystemEvents> events = std::make_shared<ManualSystemEvents>();
    std::shared_ptr<CannedHttpClient> http = std::make_shared<CannedHttpClient>();
    std::shared_ptr<ScriptedSoundOutputs> outputs = std::make_shared<ScriptedSoundOutputs>(time);
    std::shared_ptr<RecordingNotifications> notifications =
        std::make_shared<RecordingNotifications>();

    // A block still queued at the end can hold what holds the virtual clock; quitting drops it.
    ~AppFixture() override { time->stopMainQueue(); }

    // Settings are made when first needed, so a test can preload the stored state first.
    AppEnvironment environment() {
        time->setAutoAdvance(true);
        return AppEnvironment{
            .settings = std::make_shared<AppSettings>(defaults),
            .view = ViewServices{time, time, tasks,
                                 SelectorFactory{soundMenu, soundMenu, workspace, soundMenu,
                                                 launcher, time, log},
                                 std::make_shared<SourceLocalizer>(), application, log, "0.1.0"},
            .alerts = alerts,
            .windows = windows,
            .statusItem = statusItem,
            .loginItem = loginItem,
            .systemEvents = events,
            .systemInfo = std::make_shared<FixedSystemInfo>(),
            .updateChecker = std::make_shared<AppUpdateChecker>(http, std::string("0.1.0"),
                                                                "https://updates.example.org"),
            .soundOutputs = outputs,
            .notifications = notifications,
        };
    }

    // Runs what is due on the main queue and in the background until nothing is left.
    void settle() {
        do {
            time->advanceBy({});
        } while (tasks->runPending() > 0);
    }

    void advance(Clock::Duration step) {
        time->setAutoAdvance(false);
        time->advanceBy(step);
        time->setAutoAdvance(true);
        settle();
    }

    std::vector<std::string> alertTitles() const {
        std::vector<std::string> titles;
        for (const auto& alert : alerts->shown()) {
            titles.push_back(alert.messageText);
        }
        return titles;
    }
};

}  // namespace tonvera::testing
