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
    // Still playing a moment later, when a run of Tonvera's would have pressed long ago (the
    // Sound menu's 0.7 s wait, and its 0.5 s to read the press back).
    bool staysOn(const std::string& sink) const {
        std::this_thread::sleep_for(1200ms);
        return pulse.defaultSink() == sink;
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
    ASSERT_TRUE(app->waitForLine("Attempt 1/2 to select Arbeitszimmer", 5s));
    pulse.pactl({"set-default-sink", "kopfhoerer"});
    ASSERT_TRUE(
        app->waitForLine("Reconnect for Arbeitszimmer stopped — Kopfhörer was picked by hand", 5s));
    EXPECT_TRUE(staysOn("kopfhoerer"));
    EXPECT_EQ(app->countLines("selecting Küche Radio"), 0U);

    // Connect now: the ranking decides again, and the speaker's return counts.
    EXPECT_EQ(run({"--connect"}).status, 0);
    EXPECT_EQ(pulse.defaultSink(), "kueche");
    ASSERT_TRUE(pulse.loadSink("raop_sink.fe80_2.7000", "Arbeitszimmer"));
    ASSERT_TRUE(pulse.becomesDefault("raop_sink.fe80_2.7000"));

    // A named connect is the person's pick: a monitor that takes the sound gives it back to it.
    EXPECT_EQ(run({"--connect", "Küche Radio"}).status, 0);
    ASSERT_TRUE(pulse.loadSink("hdmi", "HDMI"));
    pulse.pactl({"set-default-sink", "hdmi"});
    ASSERT_TRUE(app->waitForLine("HDMI took the sound when it appeared — back to Küche Radio", 5s));
    ASSERT_TRUE(pulse.becomesDefault("kueche"));

    // It drops out for a second and comes back as the default: still the person's.
    pulse.unloadSink("kueche");
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(pulse.loadSink("kueche", "Küche Radio"));
    pulse.pactl({"set-default-sink", "kueche"});
    EXPECT_TRUE(staysOn("kueche"));
    EXPECT_EQ(app->countLines("took the sound when it appeared — back to Arbeitszimmer"), 0U);
    EXPECT_EQ(app->countLines("Bluetooth outputs cannot be reconnected: no Bluetooth service"), 1U);
}

TEST_P(PersonIntentTest, HeadphonesAboveTheSpeakerAndAPickRightAfterTheyAreUnplugged) {
    settings(R"("priorityAudioOutputs": ["Kopfhörer"])");
    // Both servers fall back to Wohnzimmer, a sound card of their highest priority: never by
    // themselves to the speaker, nor to the kitchen radio that the person picks.
    pulse.unloadSink("wohnzimmer");
    ASSERT_TRUE(
        pulse.loadSink("wohnzimmer", "Wohnzimmer", " device.class=sound priority.session=3000"));
    pulse.pactl({"set-default-sink", "kopfhoerer"});
    const auto app = start();
    wake(*app);
    ASSERT_TRUE(app->waitForLine("Kopfhörer plays — it ranks above Arbeitszimmer", 5s));
    EXPECT_TRUE(staysOn("kopfhoerer"));

    pulse.unloadSink("kopfhoerer");  // unplugged: the speaker gets the sound
    ASSERT_TRUE(pulse.becomesDefault("arbeitszimmer"));
    ASSERT_TRUE(pulse.loadSink("kopfhoerer", "Kopfhörer"));  // plugged in: it takes the sound
    ASSERT_TRUE(pulse.becomesDefault("kopfhoerer"));
    ASSERT_TRUE(staysOn("kopfhoerer"));  // and its run is over

    // Unplugged once more, and the person picks the kitchen radio 0.3 s later. PulseAudio falls
    // back to Wohnzimmer and Tonvera's take-over is under way; WirePlumber falls back to the
    // speaker configured before, at once or a read later, and that is no pick by hand.
    const bool takesOver = GetParam() == SoundServerKind::pulseAudio;
    const std::size_t takeOvers = app->countLines("Kopfhörer went away — selecting Arbeitszimmer");
    pulse.unloadSink("kopfhoerer");
    if (takesOver) {
        ASSERT_TRUE(
            app->waitForLine("Kopfhörer went away — selecting Arbeitszimmer", 5s, takeOvers + 1));
    }
    std::this_thread::sleep_for(300ms);
    pulse.pactl({"set-default-sink", "kueche"});
    ASSERT_TRUE(app->waitForLine(takesOver ? "Reconnect for Arbeitszimmer stopped — Küche Radio "
                                             "was picked by hand"
                                           : "Küche Radio was picked by hand",
                                 5s));
    EXPECT_TRUE(staysOn("kueche"));
    EXPECT_EQ(app->countLines("Arbeitszimmer was picked by hand"), 0U);
}

INSTANTIATE_TEST_SUITE_P(SoundServers, PersonIntentTest,
                         ::testing::Values(SoundServerKind::pulseAudio, SoundServerKind::pipeWire),
                         soundServerName);

}  // namespace
}  // namespace tonvera::testing
