#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "support/app_session.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;

// The real application on each sound server: the speaker at login, then a wake whose speaker
// comes back late under a new internal name, as network and Bluetooth speakers do.
class FollowSpeakerTest : public AppSession, public ::testing::WithParamInterface<SoundServerKind> {
  protected:
    FollowSpeakerTest() : AppSession(GetParam()) {}
};

TEST_P(FollowSpeakerTest,
       TheSpeakerGetsTheSoundAtLoginAndWhenItIsBackAfterAWakeAManualSwitchStays) {
    // Onboarding done, and a short schedule that gives up long before the speaker is back.
    writeSettings(R"({"hasCompletedOnboarding": true, "launchAtLoginAsked": true,
                      "launchAtLogin": false, "retryAttempts": 2, "retryInterval": 0.5})");
    const auto started = std::chrono::steady_clock::now();
    const auto app = start();
    ASSERT_TRUE(app->waitForLine("Successfully selected Arbeitszimmer on attempt 1", 15s))
        << app->output();
    EXPECT_GE(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_EQ(pulse.defaultSink(), "arbeitszimmer");

    pulse.unloadSink("arbeitszimmer");  // gone while the computer slept
    // The bus takes the application's signal rules a moment after start: wake until heard.
    ASSERT_TRUE(PulseServer::poll([&] {
        wakeScreens();
        return app->waitForLine("Wake detected", 200ms);
    })) << app->output();
    ASSERT_TRUE(app->waitForLine("not available after 2 attempts", 15s)) << app->output();

    const auto appeared = std::chrono::steady_clock::now();
    const std::string newName = "raop_sink.fe80_1.7000";
    ASSERT_TRUE(pulse.loadSink(newName, "Arbeitszimmer"));
    ASSERT_TRUE(PulseServer::poll([&] { return pulse.defaultSink() == newName; })) << app->output();
    // Within the Sound menu's own waits, with room for a busy test machine.
    EXPECT_LT(std::chrono::steady_clock::now() - appeared, 3s);
    ASSERT_TRUE(app->waitForLine("Arbeitszimmer is selected — following ends", 5s));

    // The person picks the room speaker by hand: it stays.
    pulse.pactl({"set-default-sink", "wohnzimmer"});
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(pulse.defaultSink(), "wohnzimmer");
    EXPECT_EQ(app->countLines("appeared — selecting it"), 1U);

    const auto asked = std::chrono::steady_clock::now();
    app->signal(SIGTERM);
    EXPECT_EQ(app->wait(5s), 0) << app->output();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 2s);
    EXPECT_EQ(app->countLines("[AirPlay] App terminating"), 1U);
}

INSTANTIATE_TEST_SUITE_P(SoundServers, FollowSpeakerTest,
                         ::testing::Values(SoundServerKind::pulseAudio, SoundServerKind::pipeWire),
                         soundServerName);

}  // namespace
}  // namespace tonvera::testing
