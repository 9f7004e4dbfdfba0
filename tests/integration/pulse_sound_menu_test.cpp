// The native selector and the orchestrator against a real sound server.
#include "platform/linux/pulse_sound_menu.h"

#include <csignal>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/steady_clock.h"
#include "platform/testing/memory_log_sink.h"
#include "platform/testing/recording_workspace.h"
#include "reconnect/reconnect_orchestrator.h"
#include "selection/accessibility_error.h"
#include "selection/apple_script_audio_output_selector.h"
#include "selection/native_accessibility_audio_output_selector.h"
#include "support/pulse_server.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::Throws;

struct PulseSoundMenuTest : ::testing::Test {
    testing::PulseServer server;
    std::shared_ptr<testing::MemoryLogSink> log = std::make_shared<testing::MemoryLogSink>();
    std::shared_ptr<PulseSoundMenu> menu =
        std::make_shared<PulseSoundMenu>(PulseSoundMenu::Options{server.address(), 1s}, log);
    std::shared_ptr<SteadyClock> clock = std::make_shared<SteadyClock>();
    std::shared_ptr<NativeAccessibilityAudioOutputSelector> selector =
        std::make_shared<NativeAccessibilityAudioOutputSelector>(
            AccessibilityHelper(menu, menu, std::make_shared<testing::RecordingWorkspace>()), menu,
            clock, log);

    // The production pair: the native selector, and the script selector whose runner does
    // not exist on Linux, so its attempts fail with the launch error.
    std::unique_ptr<ReconnectOrchestrator> orchestrator(std::vector<double> delays) {
        auto result = std::make_unique<ReconnectOrchestrator>(
            selector,
            std::make_shared<AppleScriptAudioOutputSelector>(
                std::make_shared<PosixProcessLauncher>(), log),
            menu, clock, log);
        result->updateRetryDelays(std::move(delays));
        return result;
    }
};

TEST_F(PulseSoundMenuTest, SelectingMovesPlayingStreamsAndRecognisesTheSelectedSink) {
    testing::ChildProcess player({"/bin/sh", "-c",
                                  "exec /usr/bin/pacat --raw --server=" + server.address() +
                                      " --device=arbeitszimmer < /dev/zero"});
    // Each playing stream's sink index, from "index<TAB>sink index<TAB>…" lines.
    const auto streams = [&](const std::string& pipe) {
        return PosixProcessLauncher()
            .run("/bin/sh",
                 {"-c", "pactl --server=$0 list sink-inputs short | " + pipe, server.address()},
                 10s, {})
            .standardOutput;
    };
    const auto streamSinks = [&] { return streams("cut -f2 | tr '\\n' ';'"); };
    for (int i = 0; i < 100 && streamSinks() != "0;"; ++i) {
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_EQ(streamSinks(), "0;") << "the player did not start on Arbeitszimmer";
    // Routed by hand to Wohnzimmer, the stream no longer follows the default on its own.
    streams("cut -f1 | xargs -I@ pactl --server=$0 move-sink-input @ wohnzimmer");
    ASSERT_EQ(streamSinks(), "1;");

    selector->selectDevice("Küche Radio", {});
    EXPECT_EQ(server.defaultSink(), "kueche");
    EXPECT_EQ(streamSinks(), "2;");
    EXPECT_FALSE(menu->isMenuOpen());
    // Read back from the server: the selector saw its own choice take effect.
    EXPECT_THAT(
        log->lines(),
        Contains(
            "info: [AirPlay] Output successfully changed to Küche Radio (verified via AXValue)"));

    selector->selectDevice("Küche Radio", {});
    EXPECT_EQ(log->lines().back(), "info: [AirPlay] Output already selected: Küche Radio");
    EXPECT_FALSE(menu->isMenuOpen());
}

TEST_F(PulseSoundMenuTest, DiscoveryListsTheSinksAndUnknownNamesFail) {
    EXPECT_THAT(selector->discoverDevices({}),
                ElementsAre("Arbeitszimmer", "Wohnzimmer", "Küche Radio"));
    EXPECT_THAT([&] { selector->selectDevice("Büro", {}); },
                Throws<AccessibilityError>(Eq(AccessibilityError::deviceNotFound("Büro"))));
    EXPECT_EQ(server.defaultSink(), "arbeitszimmer");
}

TEST_F(PulseSoundMenuTest, ASinkThatAppearsDuringTheRunIsSelectedOnALaterAttempt) {
    auto reconnect = orchestrator({0, 1, 1, 1});
    std::thread run([&] { reconnect->reconnect("Terrasse"); });
    std::this_thread::sleep_for(1500ms);
    ASSERT_EQ(server
                  .pactl({"load-module", "module-null-sink", "sink_name=terrasse",
                          "sink_properties=device.description=Terrasse"})
                  .exitStatus,
              0);
    run.join();
    EXPECT_EQ(server.defaultSink(), "terrasse");
    const auto lines = log->lines();
    EXPECT_THAT(lines,
                Contains(HasSubstr(
                    "error: [AirPlay] Attempt 1/4 failed: Could not start /usr/bin/osascript")));
    EXPECT_THAT(lines.back(),
                HasSubstr("info: [AirPlay] Successfully selected Terrasse on attempt"));
}

TEST_F(PulseSoundMenuTest, AServerThatDiesMidRunFailsCleanlyAndARestartRecovers) {
    ASSERT_EQ(server.pactl({"set-default-sink", "wohnzimmer"}).exitStatus, 0);
    auto reconnect = orchestrator({0, 0.5});
    std::thread run([&] { reconnect->reconnect("Arbeitszimmer"); });
    std::this_thread::sleep_for(300ms);  // the menu is open, the selector waits for it
    ::kill(server.pid(), SIGKILL);
    run.join();
    EXPECT_FALSE(reconnect->isRunning());
    EXPECT_THAT(log->lines().back(), HasSubstr("not available after 2 attempts"));

    // No server: no host processes, so no Sound menu.
    EXPECT_THAT([&] { selector->selectDevice("Arbeitszimmer", {}); },
                Throws<AccessibilityError>(Eq(AccessibilityError::soundMenuNotFound())));

    server.stop();
    server.start();
    log->clear();
    ASSERT_EQ(server.pactl({"set-default-sink", "wohnzimmer"}).exitStatus, 0);
    reconnect->reconnect("Arbeitszimmer");
    // The first attempt may still fall in the short pause after the failed connection.
    EXPECT_THAT(log->lines().back(),
                HasSubstr("info: [AirPlay] Successfully selected Arbeitszimmer on attempt"));
    EXPECT_EQ(server.defaultSink(), "arbeitszimmer");
}

TEST_F(PulseSoundMenuTest, AStalledServerNeverHangsACall) {
    // Stalled before we connect, and stalled while the menu is open.
    ::kill(server.pid(), SIGSTOP);
    auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(selector->selectDevice("Wohnzimmer", {}), AccessibilityError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    ::kill(server.pid(), SIGCONT);

    std::this_thread::sleep_for(1s);  // past the pause after a failed connection
    std::thread stall([&] {
        std::this_thread::sleep_for(200ms);  // the Sound item is pressed by then
        ::kill(server.pid(), SIGSTOP);
    });
    start = std::chrono::steady_clock::now();
    EXPECT_THROW(selector->selectDevice("Wohnzimmer", {}), AccessibilityError);
    stall.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 6s);
    ::kill(server.pid(), SIGCONT);
}

}  // namespace
}  // namespace tonvera
