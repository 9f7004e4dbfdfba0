#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "support/app_session.h"
#include "support/bus_signal.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;

// The real application after a wake whose speaker comes back late, under a new internal name,
// as network and Bluetooth speakers do; on each sound server.
class FollowSpeakerTest : public AppSession, public ::testing::WithParamInterface<SoundServerKind> {
  protected:
    FollowSpeakerTest() : AppSession(GetParam()) {}

    // Onboarding done, nothing at login, and a short schedule that gives up long before the
    // speaker is back.
    void writeSettings() const {
        std::filesystem::create_directories(home.path() / "config/tonvera");
        std::ofstream(home.path() / "config/tonvera/settings.json")
            << R"({"hasCompletedOnboarding": true, "launchAtLoginAsked": true,
                   "launchAtLogin": false, "connectAutomaticallyAtLogin": false,
                   "retryAttempts": 2, "retryInterval": 0.5})";
    }

    void unloadSink(const std::string& sink) const {
        std::istringstream modules(pulse.pactl({"list", "short", "modules"}).standardOutput);
        for (std::string line; std::getline(modules, line);) {
            if (line.find("sink_name=" + sink) != std::string::npos) {
                pulse.pactl({"unload-module", line.substr(0, line.find('\t'))});
            }
        }
    }
};

TEST_P(FollowSpeakerTest, ASpeakerBackAfterTheRetriesGetsTheSoundAndAManualSwitchStays) {
    unloadSink("arbeitszimmer");  // gone while the computer slept
    writeSettings();
    const auto app = start();
    // The bus takes the application's signal rules a moment after start: wake until heard.
    ASSERT_TRUE(PulseServer::poll([&] {
        emitSignalAs(busAddress, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                     "org.freedesktop.ScreenSaver", "ActiveChanged", false);
        return app->waitForLine("Wake detected", 200ms);
    })) << app->output();
    ASSERT_TRUE(app->waitForLine("not available after 2 attempts", 15s)) << app->output();

    const auto appeared = std::chrono::steady_clock::now();
    const std::string newName = "raop_sink.fe80_1.7000";
    ASSERT_FALSE(pulse.loadSink(newName, "Arbeitszimmer").empty());
    ASSERT_TRUE(PulseServer::poll([&] { return pulse.defaultSink() == newName; })) << app->output();
    // Within the Sound menu's own waits, with room for a busy test machine.
    EXPECT_LT(std::chrono::steady_clock::now() - appeared, 3s);
    ASSERT_TRUE(app->waitForLine("Arbeitszimmer is selected — following ends", 5s));

    // The person picks the room speaker by hand: it stays.
    pulse.pactl({"set-default-sink", "wohnzimmer"});
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(pulse.defaultSink(), "wohnzimmer");
    EXPECT_EQ(app->countLines("appeared — selecting it"), 1U);
}

INSTANTIATE_TEST_SUITE_P(SoundServers, FollowSpeakerTest,
                         ::testing::Values(SoundServerKind::pulseAudio, SoundServerKind::pipeWire),
                         soundServerName);

}  // namespace
}  // namespace tonvera::testing
