#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "unit/reconnect/follower_scene.h"

namespace tonvera::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct SpeakerFollowerTest : Scene, ::testing::Test {};

TEST_F(SpeakerFollowerTest, APickByHandDuringTheWakeRunEndsItAndNoNoticeFollows) {
    show(offer("room* phones"));
    wake();
    std::thread run = runUntilItWaits();  // attempt 1 found no Arbeitszimmer; a pause follows
    follower->selectBest();               // a second wake during the run
    time->advanceBy(1s);
    time->waitForSleepers(1);
    time->advanceBy(1s);
    outputs->set(offer("room phones*"));  // 3 s after the wake, the person picks
    time->advanceBy({});
    run.join();
    drain();
    EXPECT_EQ(playing(), "phones");
    EXPECT_EQ(native->calls().size(), 2U);  // no third attempt, no list, no second run
    EXPECT_THAT(decisions(),
                ElementsAre("Kopfhörer was picked by hand — left as it is until the next wake",
                            "Reconnect for Arbeitszimmer stopped — Kopfhörer was picked by hand"));

    show(offer("room phones* raop1"));  // the speaker comes back: still the pick
    time->advanceBy(3min);
    EXPECT_THAT(stayedAway, IsEmpty());
    EXPECT_EQ(log->lines().back(),
              "info: [AirPlay] Following Arbeitszimmer ends — Kopfhörer was picked by hand");
}

TEST_F(SpeakerFollowerTest, APickRightAfterAnUnplugEndsTheTakeOverBeforeItPresses) {
    followAlways(offer("phones* kitchen room hdmi"));
    pressAfterTheMenusWait();
    outputs->set(offer("kitchen room hdmi*"));  // unplugged; the server picks HDMI
    std::thread run = runUntilItWaits();
    time->advanceBy(300ms);
    outputs->set(offer("kitchen room* hdmi"));  // the person picks the living room
    time->advanceBy({});
    run.join();
    drain();
    EXPECT_EQ(playing(), "room");
    EXPECT_EQ(intent->current().output, "Wohnzimmer");
    EXPECT_THAT(decisions(), Contains("Reconnect for Küche Radio stopped — Wohnzimmer was picked "
                                      "by hand"));
}

TEST_F(SpeakerFollowerTest, ConnectNowEndsAPickAndANamedConnectIsAPickThatNewOutputsYieldTo) {
    settings->setKeepSoundFromNewOutputs(true);
    settings->setConnectWhenSpeakerAppears(true);
    show(offer("room* kitchen"));
    show(offer("room kitchen*"));  // a pick by hand
    show(offer("room kitchen* raop1"));
    EXPECT_EQ(playing(), "kitchen");

    intent->followRanking(Intent::Source::connectNow);  // the run itself is the menu's
    show(offer("room kitchen raop1 hdmi*"));
    EXPECT_EQ(playing(), "raop1");  // the ranking's best, not the stale pick

    time->setAutoAdvance(true);
    orchestrator->reconnect("Küche Radio", {},
                            intent->pick("Küche Radio", Intent::Source::namedConnect));
    drain();
    show(offer("room kitchen* raop1"));
    show(offer("room kitchen raop1 hdmi*"));
    EXPECT_EQ(playing(), "kitchen");
    EXPECT_THAT(decisions(),
                ElementsAre("Küche Radio was picked by hand — left as it is until the next wake",
                            "HDMI took the sound when it appeared — back to Arbeitszimmer",
                            "HDMI took the sound when it appeared — back to Küche Radio"));
}

TEST_F(SpeakerFollowerTest, TonverasOwnSwitchIsNoPickUntilAMomentAfterItsRunAndByCanonicalName) {
    settings->setDeviceName("Ku\u0308che Radio");  // stored decomposed; the server composes
    settings->setFallbackOutputs({});
    settings->setConnectWhenSpeakerAppears(true);
    native->restart().thenSucceed();  // the server tells of the switch only later
    show(offer("room* kitchen"));
    follower->selectBest();
    drain();
    time->advanceBy(1500ms);
    show(offer("room kitchen*"));
    EXPECT_TRUE(intent->current().isRanking());

    follower->selectBest();
    drain();
    time->advanceBy(2500ms);  // too late to be the run's own: the person's
    show(offer("room* kitchen"));
    EXPECT_EQ(intent->current().output, "Wohnzimmer");
}

TEST_F(SpeakerFollowerTest, OutputsAboveThePreferredOneWinAtWakeAndWhileTheyAreThere) {
    settings->setPriorityOutputs({"Kopfhörer"});
    show(offer("raop1 phones*"));
    EXPECT_EQ(outputs->watchCount(), 1U);  // ranked above: watched all the time
    wake();
    drain();
    EXPECT_EQ(playing(), "phones");  // left on the headphones
    EXPECT_THAT(native->calls(), IsEmpty());
    EXPECT_THAT(decisions(), ElementsAre("Kopfhörer plays — it ranks above Arbeitszimmer",
                                         "Kopfhörer is selected — following ends"));

    // Unplugged: the server picks the living room, and, before Tonvera's run has begun, the
    // speaker itself (WirePlumber's second step): no pick by hand.
    time->advanceBy(3s);
    outputs->set(offer("raop1 room*"));
    time->advanceBy({});
    show(offer("raop1* room"));
    EXPECT_EQ(playing(), "raop1");
    show(offer("raop1* room phones"));  // plugged in again
    EXPECT_EQ(playing(), "phones");
    show(offer("raop1* room phones"));
    intent->pick("Arbeitszimmer", Intent::Source::handPick);
    show(offer("raop1* room"));
    show(offer("raop1* room phones"));  // a pick holds against them too
    EXPECT_EQ(playing(), "raop1");
    wake();  // until the next wake
    drain();
    EXPECT_EQ(playing(), "phones");

    // Unplugged, and plugged in again before the take-over ran, on a server that tells of each
    // switch only once the next run began: both switches are Tonvera's.
    time->advanceBy(3s);
    native->restart().thenSucceed();
    outputs->set(offer("raop1 room*"));
    time->advanceBy({});
    show(offer("raop1 room* phones"));
    show(offer("raop1* room phones"));
    show(offer("raop1 room phones*"));
    EXPECT_TRUE(intent->current().isRanking());
    // Unplugged again; the server gives the headphones the sound as they return, and only then
    // tells of the take-over's switch: they get the sound back.
    time->advanceBy(3s);
    show(offer("raop1 room*"));
    show(offer("raop1 room phones*"));
    show(offer("raop1* room phones"));
    EXPECT_EQ(native->calls().back().name, "Kopfhörer");
}

TEST_F(SpeakerFollowerTest, ANewOutputsSwitchCountsAsTheServersForTwoSecondsOnly) {
    settings->setKeepSoundFromNewOutputs(true);
    show(offer("room kitchen* hdmi"));
    time->advanceBy(1s);
    show(offer("room kitchen hdmi*"));  // no appearance in this list: a pick
    show(offer("room kitchen*"));
    show(offer("room kitchen* hdmi"));
    time->advanceBy(1s);
    show(offer("room kitchen hdmi*"));  // the server's switch comes a second late
    EXPECT_EQ(playing(), "kitchen");
    show(offer("room kitchen* hdmi"));
    time->advanceBy(3s);
    show(offer("room kitchen hdmi*"));  // there for a while: the person's
    EXPECT_EQ(playing(), "hdmi");
}

TEST_F(SpeakerFollowerTest, WhatTheSettingsFileHoldsBeyondTheUsableEntriesCostsNoEventAnything) {
    std::vector<std::string> stored(100'000, "Küche Radio");
    for (const char filler : {'a', 'b', 'c'}) {
        stored.emplace_back(1'000'000, filler);
    }
    settings->setFallbackOutputs(stored);
    settings->setPriorityOutputs(stored);
    followAlways(offer("room* kitchen"));
    timespec start{};
    timespec end{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    for (int event = 0; event < 100; ++event) {
        show(offer("room* kitchen hdmi"));
        show(offer("room* kitchen"));
    }
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    // A few milliseconds, also under the sanitizers; the ranking made per event took seconds.
    EXPECT_LT(end.tv_sec - start.tv_sec, 2);
    EXPECT_EQ(follower->ranking().above().size(), 4U);
}

TEST_F(SpeakerFollowerTest, ALostServerIsNoListAndTheFirstListAfterItNoAppearance) {
    followAlways(offer("raop1 room*"));
    outputs->lose();
    drain();
    show(offer("raop2 room*"));  // the server is back: what it lists is no news
    EXPECT_THAT(native->calls(), IsEmpty());
    show(offer("raop1 room* raop2"));  // a second speaker of that name is
    EXPECT_EQ(native->calls().size(), 1U);
}

TEST_F(SpeakerFollowerTest, AnAppearanceDuringARunStartsItsNextAttemptNowOrOneMoreAfterIt) {
    follower->followForAWhile(Intent::Source::wake);
    show(offer("room*"));
    follower->selectBest();
    std::thread run = runUntilItWaits();  // attempt 1 failed; the run pauses for a second
    outputs->set(offer("room* raop1"));
    time->advanceBy({});
    run.join();
    drain();
    EXPECT_EQ(std::pair(native->calls().size(), native->calls()[1].at), std::pair(2UL, 0ns));
    EXPECT_EQ(std::pair(playing(), tasks->pendingCount()), std::pair(std::string("raop1"), 0UL));
    EXPECT_THAT(log->lines(),
                Contains("info: [AirPlay] Arbeitszimmer appeared — next attempt starts now"));

    // Its last attempt fails although the speaker appeared meanwhile: exactly one more run.
    orchestrator->updateRetryDelays({0});
    settings->setFallbackOutputs({});
    native->restart()
        .then([&](const std::string& name, const std::stop_token&) {
            outputs->set(offer("room* raop2"));  // appears while the attempt reads the menu
            time->advanceBy({});
            throw AccessibilityError::deviceNotFound(name);
        })
        .then([this](const std::string& name, const std::stop_token&) { press(name); });
    show(offer("room*"));
    follower->followForAWhile(Intent::Source::wake);
    follower->selectBest();
    drain();
    EXPECT_EQ(std::pair(native->calls().size(), playing()), std::pair(4UL, std::string("raop2")));
}

TEST_F(SpeakerFollowerTest, TheWindowsEndWaitsForTheRunUnderWayAndAWakeDuringARunGetsItsOwn) {
    pressAfterTheMenusWait();
    follower->followForAWhile(Intent::Source::wake);
    show(offer("room*"));
    time->advanceBy(3min - 100ms);
    show(offer("room* raop1"));  // in the window's last moment: selected after it
    EXPECT_EQ(playing(), "raop1");
    EXPECT_THAT(stayedAway, IsEmpty());
    EXPECT_EQ(log->lines().back(), "info: [AirPlay] Arbeitszimmer is selected — following ends");

    // A wake while another run ends: that wake still gets a run and a window.
    show(offer("room* kitchen"));
    std::thread other([&] { orchestrator->reconnect("Wohnzimmer"); });
    time->waitForSleepers(1);
    wake();
    time->advanceBy(700ms);
    other.join();
    drain();
    EXPECT_EQ(outputs->watchCount(), 1U);
    time->advanceBy(3min);
    EXPECT_THAT(stayedAway,
                ElementsAre(std::pair<std::string, std::string>("Arbeitszimmer", "Küche Radio")));
    EXPECT_EQ(outputs->watchCount(), 0U);
}

}  // namespace
}  // namespace tonvera::testing
