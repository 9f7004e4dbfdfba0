#include "reconnect/speaker_follower.h"

#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/testing/manual_task_runner.h"
#include "platform/testing/memory_log_sink.h"
#include "platform/testing/memory_user_defaults.h"
#include "platform/testing/scripted_sound_outputs.h"
#include "platform/testing/trust_switch.h"
#include "platform/testing/virtual_time.h"
#include "selection/accessibility_error.h"
#include "selection/cancellation_error.h"
#include "support/scripted_selector.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string visibleName(const std::string& identifier) {
    static const std::map<std::string, std::string> names = {
        {"raop1", "Arbeitszimmer"}, {"raop2", "Arbeitszimmer"}, {"room", "Wohnzimmer"},
        {"kitchen", "Küche Radio"}, {"hdmi", "HDMI"},           {"phones", "Kopfhörer"},
    };
    return names.at(identifier);
}

// What the server offers, by internal name; the one with a star plays.
std::vector<SoundOutput> offer(std::initializer_list<std::string> identifiers) {
    std::vector<SoundOutput> list;
    for (std::string identifier : identifiers) {
        const bool playing = identifier.ends_with('*');
        if (playing) {
            identifier.pop_back();
        }
        list.push_back(SoundOutput{visibleName(identifier), identifier, playing});
    }
    return list;
}

// The preferred output is "Arbeitszimmer"; while it is away, Küche Radio, then Wohnzimmer.
struct Scene {
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>();
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    std::shared_ptr<AppSettings> settings =
        std::make_shared<AppSettings>(std::make_shared<MemoryUserDefaults>());
    std::shared_ptr<ScriptedSoundOutputs> outputs = std::make_shared<ScriptedSoundOutputs>(time);
    std::shared_ptr<ScriptedSelector> native = std::make_shared<ScriptedSelector>(time);
    std::shared_ptr<ScriptedSelector> script = std::make_shared<ScriptedSelector>(time);
    std::shared_ptr<SoundIntent> intent = std::make_shared<SoundIntent>();
    std::shared_ptr<ReconnectOrchestrator> orchestrator = std::make_shared<ReconnectOrchestrator>(
        native, script, std::make_shared<TrustSwitch>(), time, log, intent);
    std::shared_ptr<ManualTaskRunner> tasks = std::make_shared<ManualTaskRunner>();
    std::shared_ptr<SpeakerFollower> follower =
        SpeakerFollower::create(outputs, settings, orchestrator, tasks, time, time, log);
    std::vector<std::pair<std::string, std::string>> stayedAway;

    Scene() {
        follower->start([this](const std::string& speaker, const std::string& current, bool) {
            stayedAway.emplace_back(speaker, current);
        });
        orchestrator->setPresentOutputs([this] { return outputs->read(1s); });
        settings->setFallbackOutputs({"Küche Radio", "Wohnzimmer"});
        outputs->set(offer({"room*", "kitchen"}));
        script->thenThrow(AccessibilityError::unknown("no"));
        // Pressing an output in the menu makes it the default, as the server does.
        native->then([this](const std::string& name, const std::stop_token&) { press(name); });
    }
    ~Scene() { time->stopMainQueue(); }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    void press(const std::string& name) {
        auto list = outputs->outputs();
        if (std::ranges::none_of(list, [&](const auto& o) { return o.name == name; })) {
            throw AccessibilityError::deviceNotFound(name);
        }
        bool first = true;
        for (auto& output : list) {
            output.isDefault = output.name == name && std::exchange(first, false);
        }
        outputs->set(list);
    }
    // The Sound menu's own wait before it presses, which a pick by hand cuts short.
    void pressAfterTheMenusWait() {
        native->restart().then([this](const std::string& name, const std::stop_token& stop) {
            if (!time->sleepFor(700ms, stop)) {
                throw CancellationError();
            }
            press(name);
        });
    }
    // Watches all the time from `list` on.
    void followAlways(std::vector<SoundOutput> list) {
        outputs->set(std::move(list));
        settings->setConnectWhenSpeakerAppears(true);
        drain();
    }
    void wake() {
        follower->followForAWhile(Intent::Source::wake);
        follower->selectBest();
    }

    // Delivers the list and runs what it starts, pauses and all, as the application would.
    void show(std::vector<SoundOutput> list) {
        outputs->set(std::move(list));
        drain();
    }
    void drain() {
        for (;;) {
            time->advanceBy({});
            time->setAutoAdvance(true);
            const auto ran = tasks->runPending();
            time->setAutoAdvance(false);
            if (ran == 0) {
                break;
            }
        }
        time->advanceBy({});
    }
    // Runs the queued run on a thread of its own until it waits in a pause or in the menu.
    std::thread runUntilItWaits() {
        time->advanceBy({});
        std::thread run([this] { tasks->runPending(); });
        time->waitForSleepers(1);
        return run;
    }
    std::string playing() const {
        for (const auto& output : outputs->outputs()) {
            if (output.isDefault) {
                return output.identifier;
            }
        }
        return "";
    }
    std::vector<std::string> decisions() const {
        std::vector<std::string> lines;
        for (const auto& line : log->lines()) {
            if (line.find(" — ") != std::string::npos && line.starts_with("info")) {
                lines.push_back(line.substr(std::string("info: [AirPlay] ").size()));
            }
        }
        return lines;
    }
};

struct SpeakerFollowerTest : Scene, ::testing::Test {};

// What each change of the outputs leads to, by what the person asked for last.
TEST(SpeakerFollowerRulesTest, EachChangeOfTheOutputsByWhatThePersonAskedForLast) {
    struct Row {
        const char* what;
        const char* picked;  // the output picked by hand; nullptr: the ranking
        bool followAlways;
        bool keepSound;
        std::vector<std::string> above;
        std::vector<SoundOutput> before, after;
        const char* playing;
        const char* decision;  // the one decision logged; "" for none
    };
    const std::vector<Row> rows = {
        {"ranking: the preferred output appears while following",
         nullptr,
         true,
         false,
         {},
         offer({"room*"}),
         offer({"room*", "raop1"}),
         "raop1",
         "Arbeitszimmer appeared — switching back from Wohnzimmer"},
        {"ranking: the preferred output appears, not following",
         nullptr,
         false,
         true,
         {},
         offer({"room*"}),
         offer({"room*", "raop1"}),
         "room",
         ""},
        {"ranking: a lower entry appears",
         nullptr,
         true,
         false,
         {},
         offer({"kitchen*"}),
         offer({"kitchen*", "room"}),
         "kitchen",
         ""},
        {"ranking: an output above the preferred one appears, at any time",
         nullptr,
         false,
         false,
         {"Kopfhörer"},
         offer({"raop1*"}),
         offer({"raop1*", "phones"}),
         "phones",
         "Kopfhörer appeared — selecting it (1st above Arbeitszimmer)"},
        {"ranking: an output above the preferred one takes the sound itself",
         nullptr,
         false,
         true,
         {"Kopfhörer"},
         offer({"raop1*"}),
         offer({"raop1", "phones*"}),
         "phones",
         ""},
        {"ranking: a new output takes the sound, kept from it",
         nullptr,
         false,
         true,
         {},
         offer({"kitchen*"}),
         offer({"kitchen", "hdmi*"}),
         "kitchen",
         "HDMI took the sound when it appeared — back to Küche Radio"},
        {"ranking: a new output takes the sound, not kept from it",
         nullptr,
         true,
         false,
         {},
         offer({"kitchen*"}),
         offer({"kitchen", "hdmi*"}),
         "hdmi",
         ""},
        {"ranking: the playing output goes away while following",
         nullptr,
         true,
         false,
         {},
         offer({"kitchen*", "room", "hdmi"}),
         offer({"room", "hdmi*"}),
         "room",
         "Küche Radio went away — selecting Wohnzimmer (2nd in the list)"},
        {"ranking: the playing output above the preferred one goes away",
         nullptr,
         false,
         false,
         {"Kopfhörer"},
         offer({"phones*", "raop1", "hdmi"}),
         offer({"raop1", "hdmi*"}),
         "raop1",
         "Kopfhörer went away — selecting Arbeitszimmer"},
        {"ranking: the playing output goes away, not following",
         nullptr,
         false,
         true,
         {},
         offer({"kitchen*", "room", "hdmi"}),
         offer({"room", "hdmi*"}),
         "hdmi",
         ""},
        {"ranking: a switch to an output that was there",
         nullptr,
         true,
         false,
         {},
         offer({"room*", "kitchen"}),
         offer({"room", "kitchen*"}),
         "kitchen",
         "Küche Radio was picked by hand — left as it is until the next wake"},
        {"pick: the preferred output appears",
         "Küche Radio",
         true,
         false,
         {},
         offer({"kitchen*"}),
         offer({"kitchen*", "raop1"}),
         "kitchen",
         ""},
        {"pick: an output above the preferred one appears",
         "Küche Radio",
         false,
         false,
         {"Kopfhörer"},
         offer({"kitchen*"}),
         offer({"kitchen*", "phones"}),
         "kitchen",
         ""},
        {"pick: it goes away",
         "Küche Radio",
         true,
         true,
         {},
         offer({"kitchen*", "raop1", "hdmi"}),
         offer({"raop1", "hdmi*"}),
         "hdmi",
         ""},
        {"pick: it comes back without the sound",
         "Küche Radio",
         true,
         false,
         {},
         offer({"raop1*", "hdmi"}),
         offer({"raop1*", "hdmi", "kitchen"}),
         "kitchen",
         "Küche Radio is back — selecting it again"},
        {"pick: it comes back with the sound",
         "Küche Radio",
         false,
         true,
         {},
         offer({"hdmi*"}),
         offer({"hdmi", "kitchen*"}),
         "kitchen",
         ""},
        {"pick: a new output takes the sound, kept from it",
         "Küche Radio",
         false,
         true,
         {},
         offer({"raop1", "kitchen*"}),
         offer({"raop1", "kitchen", "hdmi*"}),
         "kitchen",
         "HDMI took the sound when it appeared — back to Küche Radio"},
        {"pick: a new output takes the sound, not kept from it",
         "Küche Radio",
         true,
         false,
         {},
         offer({"kitchen*"}),
         offer({"kitchen", "hdmi*"}),
         "hdmi",
         ""},
        {"pick: the output playing instead goes away",
         "Küche Radio",
         true,
         false,
         {},
         offer({"kitchen", "hdmi*", "room"}),
         offer({"kitchen", "room*"}),
         "kitchen",
         "HDMI went away — back to Küche Radio"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Scene scene;
        scene.outputs->set(row.before);  // what the watch finds when it opens
        scene.settings->setPriorityOutputs(row.above);
        scene.settings->setKeepSoundFromNewOutputs(row.keepSound);
        scene.settings->setConnectWhenSpeakerAppears(row.followAlways);
        if (row.picked != nullptr) {
            scene.intent->pick(row.picked, Intent::Source::handPick);
        }
        scene.drain();
        scene.log->clear();
        scene.show(row.after);
        EXPECT_EQ(scene.playing(), row.playing);
        const std::string decision = row.decision;
        EXPECT_EQ(scene.decisions(),
                  decision.empty() ? std::vector<std::string>{} : std::vector{decision});
    }
}

TEST_F(SpeakerFollowerTest, AwayAtWakeTheFirstPresentEntryPlaysAndTheSpeakerTakesOverWhenBack) {
    EXPECT_EQ(outputs->watchCount(), 0U);  // idle: no connection to the server
    wake();
    drain();  // four attempts, seven seconds of pauses, then the list
    EXPECT_EQ(playing(), "kitchen");
    EXPECT_EQ(native->calls().back().at, 7s);

    show(offer({"room", "kitchen*", "hdmi"}));  // an unranked one appears: nothing
    time->advanceBy(1min);
    show(offer({"kitchen*", "hdmi", "raop2"}));  // back under a new name, as the room leaves
    EXPECT_EQ(playing(), "raop2");
    EXPECT_EQ(native->calls().back().at, 67s);
    EXPECT_EQ(outputs->watchCount(), 0U);
    EXPECT_THAT(decisions(),
                ElementsAre("Arbeitszimmer is not there — selecting Küche Radio (1st in the list)",
                            "Arbeitszimmer appeared — switching back from Küche Radio",
                            "Arbeitszimmer is selected — following ends"));
    EXPECT_THAT(stayedAway, IsEmpty());
}

TEST_F(SpeakerFollowerTest, APickByHandDuringTheWakeRunEndsItAndNoNoticeFollows) {
    show(offer({"room*", "phones"}));
    wake();
    std::thread run = runUntilItWaits();  // attempt 1 found no Arbeitszimmer; a pause follows
    follower->selectBest();               // a second wake during the run
    time->advanceBy(1s);
    time->waitForSleepers(1);
    time->advanceBy(1s);
    outputs->set(offer({"room", "phones*"}));  // 3 s after the wake, the person picks
    time->advanceBy({});
    run.join();
    drain();
    EXPECT_EQ(playing(), "phones");
    EXPECT_EQ(native->calls().size(), 2U);  // no third attempt, no list, no second run
    EXPECT_THAT(decisions(),
                ElementsAre("Kopfhörer was picked by hand — left as it is until the next wake",
                            "Reconnect for Arbeitszimmer stopped — Kopfhörer was picked by hand"));

    show(offer({"room", "phones*", "raop1"}));  // the speaker comes back: still the pick
    time->advanceBy(3min);
    EXPECT_THAT(stayedAway, IsEmpty());
    EXPECT_EQ(log->lines().back(),
              "info: [AirPlay] Following Arbeitszimmer ends — Kopfhörer was picked by hand");
}

TEST_F(SpeakerFollowerTest, APickRightAfterAnUnplugEndsTheTakeOverBeforeItPresses) {
    followAlways(offer({"phones*", "kitchen", "room", "hdmi"}));
    pressAfterTheMenusWait();
    outputs->set(offer({"kitchen", "room", "hdmi*"}));  // unplugged; the server picks HDMI
    std::thread run = runUntilItWaits();
    time->advanceBy(300ms);
    outputs->set(offer({"kitchen", "room*", "hdmi"}));  // the person picks the living room
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
    show(offer({"room*", "kitchen"}));
    show(offer({"room", "kitchen*"}));  // a pick by hand
    show(offer({"room", "kitchen*", "raop1"}));
    EXPECT_EQ(playing(), "kitchen");

    intent->followRanking(Intent::Source::connectNow);  // the run itself is the menu's
    show(offer({"room", "kitchen", "raop1", "hdmi*"}));
    EXPECT_EQ(playing(), "raop1");  // the ranking's best, not the stale pick

    time->setAutoAdvance(true);
    orchestrator->reconnect("Küche Radio", {},
                            intent->pick("Küche Radio", Intent::Source::namedConnect));
    drain();
    show(offer({"room", "kitchen*", "raop1"}));
    show(offer({"room", "kitchen", "raop1", "hdmi*"}));
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
    show(offer({"room*", "kitchen"}));
    follower->selectBest();
    drain();
    time->advanceBy(1500ms);
    show(offer({"room", "kitchen*"}));
    EXPECT_TRUE(intent->current().isRanking());

    follower->selectBest();
    drain();
    time->advanceBy(2500ms);  // too late to be the run's own: the person's
    show(offer({"room*", "kitchen"}));
    EXPECT_EQ(intent->current().output, "Wohnzimmer");
}

TEST_F(SpeakerFollowerTest, OutputsAboveThePreferredOneWinAtWakeAndWhileTheyAreThere) {
    settings->setPriorityOutputs({"Kopfhörer"});
    show(offer({"raop1", "phones*"}));
    EXPECT_EQ(outputs->watchCount(), 1U);  // ranked above: watched all the time
    wake();
    drain();
    EXPECT_EQ(playing(), "phones");  // left on the headphones
    EXPECT_THAT(native->calls(), IsEmpty());
    EXPECT_THAT(decisions(), ElementsAre("Kopfhörer plays — it ranks above Arbeitszimmer",
                                         "Kopfhörer is selected — following ends"));

    show(offer({"raop1", "room*"}));  // unplugged, and the server picks the living room
    EXPECT_EQ(playing(), "raop1");
    show(offer({"raop1*", "room", "phones"}));  // plugged in again
    EXPECT_EQ(playing(), "phones");
    show(offer({"raop1*", "room", "phones"}));
    intent->pick("Arbeitszimmer", Intent::Source::handPick);
    show(offer({"raop1*", "room"}));
    show(offer({"raop1*", "room", "phones"}));  // a pick holds against them too
    EXPECT_EQ(playing(), "raop1");
    wake();  // until the next wake
    drain();
    EXPECT_EQ(playing(), "phones");
}

TEST_F(SpeakerFollowerTest, ANewOutputsSwitchCountsAsTheServersForTwoSecondsOnly) {
    settings->setKeepSoundFromNewOutputs(true);
    show(offer({"room", "kitchen*", "hdmi"}));
    time->advanceBy(1s);
    show(offer({"room", "kitchen", "hdmi*"}));  // no appearance in this list: a pick
    show(offer({"room", "kitchen*"}));
    show(offer({"room", "kitchen*", "hdmi"}));
    time->advanceBy(1s);
    show(offer({"room", "kitchen", "hdmi*"}));  // the server's switch comes a second late
    EXPECT_EQ(playing(), "kitchen");
    show(offer({"room", "kitchen*", "hdmi"}));
    time->advanceBy(3s);
    show(offer({"room", "kitchen", "hdmi*"}));  // there for a while: the person's
    EXPECT_EQ(playing(), "hdmi");
}

TEST_F(SpeakerFollowerTest, WhatTheSettingsFileHoldsBeyondTheUsableEntriesCostsNoEventAnything) {
    std::vector<std::string> stored(100'000, "Küche Radio");
    for (const char filler : {'a', 'b', 'c'}) {
        stored.emplace_back(1'000'000, filler);
    }
    settings->setFallbackOutputs(stored);
    settings->setPriorityOutputs(stored);
    followAlways(offer({"room*", "kitchen"}));
    timespec start{};
    timespec end{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    for (int event = 0; event < 100; ++event) {
        show(offer({"room*", "kitchen", "hdmi"}));
        show(offer({"room*", "kitchen"}));
    }
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    // A few milliseconds, also under the sanitizers; the ranking made per event took seconds.
    EXPECT_LT(end.tv_sec - start.tv_sec, 2);
    EXPECT_EQ(follower->ranking().above().size(), 4U);
}

TEST_F(SpeakerFollowerTest, ALostServerIsNoListAndTheFirstListAfterItNoAppearance) {
    followAlways(offer({"raop1", "room*"}));
    outputs->lose();
    drain();
    show(offer({"raop2", "room*"}));  // the server is back: what it lists is no news
    EXPECT_THAT(native->calls(), IsEmpty());
    show(offer({"raop1", "room*", "raop2"}));  // a second speaker of that name is
    EXPECT_EQ(native->calls().size(), 1U);
}

TEST_F(SpeakerFollowerTest, AnAppearanceDuringARetryPauseStartsTheNextAttemptNowAndNoSecondRun) {
    follower->followForAWhile(Intent::Source::wake);
    show(offer({"room*"}));
    follower->selectBest();
    std::thread run = runUntilItWaits();  // attempt 1 failed; the run pauses for a second
    outputs->set(offer({"room*", "raop1"}));
    time->advanceBy({});
    run.join();
    drain();
    EXPECT_EQ(native->calls().size(), 2U);
    EXPECT_EQ(native->calls()[1].at, 0s);
    EXPECT_EQ(playing(), "raop1");
    EXPECT_THAT(log->lines(),
                Contains("info: [AirPlay] Arbeitszimmer appeared — next attempt starts now"));
    EXPECT_EQ(tasks->pendingCount(), 0U);
}

TEST_F(SpeakerFollowerTest, ARunThatFailsDespiteTheAppearanceGetsExactlyOneMore) {
    orchestrator->updateRetryDelays({0});
    settings->setFallbackOutputs({});
    native->restart()
        .then([&](const std::string& name, const std::stop_token&) {
            outputs->set(offer({"room*", "raop1"}));  // appears while the attempt reads the menu
            time->advanceBy({});
            throw AccessibilityError::deviceNotFound(name);
        })
        .then([this](const std::string& name, const std::stop_token&) { press(name); });
    follower->followForAWhile(Intent::Source::wake);
    show(offer({"room*"}));
    follower->selectBest();
    drain();
    EXPECT_EQ(native->calls().size(), 2U);
    EXPECT_EQ(playing(), "raop1");
}

TEST_F(SpeakerFollowerTest, TheWindowsEndWaitsForTheRunUnderWayAndAWakeDuringARunGetsItsOwn) {
    pressAfterTheMenusWait();
    follower->followForAWhile(Intent::Source::wake);
    show(offer({"room*"}));
    time->advanceBy(3min - 100ms);
    show(offer({"room*", "raop1"}));  // in the window's last moment: selected after it
    EXPECT_EQ(playing(), "raop1");
    EXPECT_THAT(stayedAway, IsEmpty());
    EXPECT_EQ(log->lines().back(), "info: [AirPlay] Arbeitszimmer is selected — following ends");

    // A wake while another run ends: that wake still gets a run and a window.
    show(offer({"room*", "kitchen"}));
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
