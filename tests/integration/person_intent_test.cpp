#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "support/app_session.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;

// The real application on each sound server, with a person who picks outputs by hand at the
// worst moments: what they did last decides every switch.
class PersonIntentTest : public AppSession, public ::testing::WithParamInterface<SoundServerKind> {
  protected:
    PersonIntentTest() : AppSession(GetParam()) {}

    void SetUp() override {
        AppSession::SetUp();
        if (!IsSkipped()) {
            ASSERT_TRUE(pulse.loadSink("kopfhoerer", "Kopfhörer"));
        }
    }

    void settings(const std::string& more) const {
        writeSettings(R"({"hasCompletedOnboarding": true, "launchAtLoginAsked": true,
                          "launchAtLogin": false, "connectAutomaticallyAtLogin": false,
                          "retryAttempts": 2, "retryInterval": 0.5, )" +
                      more + "}");
    }
    void wake(AppProcess& app) const {
        ASSERT_TRUE(PulseServer::poll([&] {
            wakeScreens();
            return app.waitForLine("Wake detected", 200ms);
        })) << app.output();
    }
    bool plays(const std::string& sink) const {
        return PulseServer::poll([&] { return pulse.defaultSink() == sink; });
    }
    // Still playing a moment later, when a run of Tonvera's would have pressed long ago (the
    // Sound menu's 0.7 s wait, and its 0.5 s to read the press back).
    bool staysOn(const std::string& sink) const {
        std::this_thread::sleep_for(1200ms);
        return pulse.defaultSink() == sink;
    }
    int connect(const std::vector<std::string>& arguments) const {
        std::vector<std::string> command{TONVERA_BINARY, "--connect"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        ChildProcess process(command, environment(), true);
        while (process.nextLine()) {
        }
        return process.wait(30s).value_or(-1);
    }
};

TEST_P(PersonIntentTest, APickByHandEndsTheRunConnectNowEndsThePickANamedConnectIsOne) {
    // The speaker is a Bluetooth box, on a system bus without Bluetooth: said once, and nothing
    // else changes.
    settings(R"("keepSoundFromNewOutputs": true, "fallbackAudioOutputs": ["Küche Radio"],
                "bluetoothOutputAddresses": {"Arbeitszimmer": "AA:BB:CC:DD:EE:FF"})");
    pulse.unloadSink("arbeitszimmer");
    const auto app = start();
    wake(*app);

    // The speaker is missing at wake; during the run the person picks the headphones.
    ASSERT_TRUE(app->waitForLine("Attempt 1/2 to select Arbeitszimmer", 5s)) << app->output();
    pulse.pactl({"set-default-sink", "kopfhoerer"});
    ASSERT_TRUE(
        app->waitForLine("Reconnect for Arbeitszimmer stopped — Kopfhörer was picked by hand", 5s))
        << app->output();
    EXPECT_TRUE(staysOn("kopfhoerer")) << app->output();
    EXPECT_EQ(app->countLines("selecting Küche Radio"), 0U) << app->output();

    // Connect now: the ranking decides again, and the speaker's return counts.
    EXPECT_EQ(connect({}), 0);
    EXPECT_EQ(pulse.defaultSink(), "kueche");
    ASSERT_TRUE(pulse.loadSink("raop_sink.fe80_2.7000", "Arbeitszimmer"));
    ASSERT_TRUE(plays("raop_sink.fe80_2.7000")) << app->output();

    // A named connect is the person's pick: a monitor that takes the sound gives it back to it.
    EXPECT_EQ(connect({"Küche Radio"}), 0);
    ASSERT_TRUE(pulse.loadSink("hdmi", "HDMI"));
    pulse.pactl({"set-default-sink", "hdmi"});
    ASSERT_TRUE(app->waitForLine("HDMI took the sound when it appeared — back to Küche Radio", 5s))
        << app->output();
    ASSERT_TRUE(plays("kueche")) << app->output();

    // It drops out for a second and comes back as the default: still the person's.
    pulse.unloadSink("kueche");
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(pulse.loadSink("kueche", "Küche Radio"));
    pulse.pactl({"set-default-sink", "kueche"});
    EXPECT_TRUE(staysOn("kueche")) << app->output();
    EXPECT_EQ(app->countLines("took the sound when it appeared — back to Arbeitszimmer"), 0U)
        << app->output();
    EXPECT_EQ(app->countLines("Bluetooth outputs cannot be reconnected: no Bluetooth service"), 1U)
        << app->output();
}

TEST_P(PersonIntentTest, HeadphonesAboveTheSpeakerAndAPickRightAfterTheyAreUnplugged) {
    settings(R"("priorityAudioOutputs": ["Kopfhörer"])");
    // Both servers fall back to Wohnzimmer, a sound card of their highest priority: never by
    // themselves to the speaker, nor to the kitchen radio that the person picks.
    pulse.unloadSink("wohnzimmer");
    ASSERT_TRUE(
        pulse.loadSink("wohnzimmer", "Wohnzimmer", "device.class=sound priority.session=3000"));
    pulse.pactl({"set-default-sink", "kopfhoerer"});
    const auto app = start();
    wake(*app);
    ASSERT_TRUE(app->waitForLine("Kopfhörer plays — it ranks above Arbeitszimmer", 5s))
        << app->output();
    EXPECT_TRUE(staysOn("kopfhoerer")) << app->output();

    pulse.unloadSink("kopfhoerer");  // unplugged: the speaker gets the sound
    ASSERT_TRUE(plays("arbeitszimmer")) << app->output();
    ASSERT_TRUE(pulse.loadSink("kopfhoerer", "Kopfhörer"));  // plugged in: it takes the sound
    ASSERT_TRUE(plays("kopfhoerer")) << app->output();
    ASSERT_TRUE(staysOn("kopfhoerer")) << app->output();  // and its run is over

    // Unplugged once more, and the person picks the kitchen radio 0.3 s later. PulseAudio falls
    // back to Wohnzimmer and Tonvera's take-over is under way; WirePlumber falls back to the
    // speaker configured before, at once or a read later, and that is no pick by hand.
    const bool takesOver = GetParam() == SoundServerKind::pulseAudio;
    const std::size_t takeOvers = app->countLines("Kopfhörer went away — selecting Arbeitszimmer");
    pulse.unloadSink("kopfhoerer");
    if (takesOver) {
        ASSERT_TRUE(
            app->waitForLine("Kopfhörer went away — selecting Arbeitszimmer", 5s, takeOvers + 1))
            << app->output();
    }
    std::this_thread::sleep_for(300ms);
    pulse.pactl({"set-default-sink", "kueche"});
    ASSERT_TRUE(app->waitForLine(takesOver ? "Reconnect for Arbeitszimmer stopped — Küche Radio "
                                             "was picked by hand"
                                           : "Küche Radio was picked by hand",
                                 5s))
        << app->output();
    EXPECT_TRUE(staysOn("kueche")) << app->output();
    EXPECT_EQ(app->countLines("Arbeitszimmer was picked by hand"), 0U) << app->output();
}

INSTANTIATE_TEST_SUITE_P(SoundServers, PersonIntentTest,
                         ::testing::Values(SoundServerKind::pulseAudio, SoundServerKind::pipeWire),
                         soundServerName);

}  // namespace
}  // namespace tonvera::testing
