#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/app_environment.h"
#include "platform/testing/canned_http_client.h"
#include "platform/testing/manual_system_events.h"
#include "platform/testing/memory_login_item.h"
#include "platform/testing/recording_alerts.h"
#include "platform/testing/recording_notifications.h"
#include "platform/testing/recording_status_item.h"
#include "platform/testing/recording_window_host.h"
#include "platform/testing/scripted_sound_outputs.h"
#include "support/view_harness.h"

namespace tonvera::testing {

class FixedSystemInfo final : public SystemInfo {
  public:
    OperatingSystemVersion operatingSystemVersion() const override { return {"Linux", 6, 1, 0}; }
};

// The whole application environment made of doubles, in virtual time: the windows'
// surroundings and the application's own services. Background tasks run when the test settles;
// the clock then moves through their waits by itself.
struct AppFixture : ::testing::Test, ViewHarness {
    SoundMenuScene scene =
        SoundMenuScene::build(*menu, {"Arbeitszimmer", "Wohnzimmer", "Küche Radio"});
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
        return AppEnvironment{
            .settings = std::make_shared<AppSettings>(defaults),
            .view =
                ViewServices{time, time, tasks, selectors, localizer, application, log, "0.1.0"},
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
};

}  // namespace tonvera::testing
