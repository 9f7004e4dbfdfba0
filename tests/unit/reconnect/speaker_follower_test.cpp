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
        {"kitchen", "Küche Radio"}, {"hdmi", "HDMI"},
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

struct SpeakerFollowerTest : ::testing::Test {
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>();
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    std::shared_ptr<AppSettings> settings =
        std::make_shared<AppSettings>(std::make_shared<MemoryUserDefaults>());
    std::shared_ptr<ScriptedSoundOutputs> outputs = std::make_shared<ScriptedSoundOutputs>(time);
    std::shared_ptr<ScriptedSelector> native = std::make_shared<ScriptedSelector>(time);
    std::shared_ptr<ScriptedSelector> script = std::make_shared<ScriptedSelector>(time);
    std::shared_ptr<ReconnectOrchestrator> orchestrator = std::make_shared<ReconnectOrchestrator>(
        native, script, std::make_shared<TrustSwitch>(), time, log);
    std::shared_ptr<ManualTaskRunner> tasks = std::make_shared<ManualTaskRunner>();
    std::shared_ptr<SpeakerFollower> follower =
        SpeakerFollower::create(outputs, settings, orchestrator, tasks, time, time, log);
    std::vector<std::pair<std::string, std::string>> stayedAway;

    SpeakerFollowerTest() {
        follower->start([this](const std::string& speaker, const std::string& current) {
            stayedAway.emplace_back(speaker, current);
        });
        orchestrator->setPresentOutputs([this] { return outputs->read(1s); });
        settings->setFallbackOutputs({"Küche Radio", "Wohnzimmer"});
        outputs->set(offer({"room*", "kitchen"}));
        script->thenThrow(AccessibilityError::unknown("no"));
        // Pressing an output in the menu makes it the default, as the server does.
        native->then([this](const std::string& name, const std::stop_token&) { press(name); });
    }
    ~SpeakerFollowerTest() override { time->stopMainQueue(); }

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

    // Watches all the time from `list` on.
    void followAlways(std::vector<SoundOutput> list) {
        outputs->set(std::move(list));
        settings->setConnectWhenSpeakerAppears(true);
        drain();
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

TEST_F(SpeakerFollowerTest, AwayAtWakeTheFirstPresentEntryPlaysAndTheSpeakerTakesOverWhenBack) {
    EXPECT_EQ(outputs->watchCount(), 0U);  // idle: no connection to the server
    follower->followForAWhile(Intent::Source::wake);
    follower->selectBest();
    drain();  // four attempts, seven seconds of pauses, then the list
    EXPECT_EQ(playing(), "kitchen");
    EXPECT_EQ(native->calls().back().at, 7s);

    show(offer({"room", "kitchen*", "hdmi"}));  // an unlisted one appears: nothing
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

TEST_F(SpeakerFollowerTest,
       WhileFollowingTheGoneOutputsPlaceGoesDownTheListAndOnlyAHigherOneTakesIt) {
    followAlways(offer({"room", "kitchen*"}));
    show(offer({"room*"}));  // the kitchen radio goes: the server picks the room, as the list does
    show(offer({"room*", "hdmi"}));
    show(offer({"room*", "hdmi", "kitchen"}));  // higher than the room: it gets the sound
    EXPECT_EQ(playing(), "kitchen");
    time->advanceBy(5s);
    show(offer({"hdmi*", "kitchen"}));  // the room goes as the person picks HDMI: it stays
    show(offer({"hdmi*", "kitchen", "room"}));
    EXPECT_EQ(playing(), "hdmi");
    EXPECT_THAT(decisions(), ElementsAre("Küche Radio appeared — selecting it (1st in the list)",
                                         "HDMI was picked by hand — left as it is until the next "
                                         "wake"));
    EXPECT_EQ(native->calls().size(), 1U);
}

TEST_F(SpeakerFollowerTest, APickByHandIsLeftAloneWhateverAppearsUntilTheNextWake) {
    // There but not playing from the start, as the person left it: nothing to do.
    followAlways(offer({"raop1", "room*", "kitchen"}));
    show(offer({"raop1", "room*", "kitchen", "hdmi"}));
    show(offer({"raop1", "room*", "kitchen"}));
    EXPECT_THAT(native->calls(), IsEmpty());

    show(offer({"raop1", "room", "kitchen*"}));  // picked by hand
    show(offer({"room", "kitchen*"}));
    show(offer({"room", "kitchen*", "raop2"}));  // the speaker comes back: still the person's pick
    time->advanceBy(10min);
    EXPECT_THAT(native->calls(), IsEmpty());

    follower->followForAWhile(Intent::Source::wake);  // the next wake: the ranking holds again
    follower->selectBest();
    drain();
    EXPECT_EQ(playing(), "raop2");
}

TEST_F(SpeakerFollowerTest, ANewOutputThatTakesTheSoundIsOverruledOnlyWithTheSwitchOn) {
    show(offer({"room", "kitchen", "hdmi*"}));  // off, and nothing watches
    EXPECT_EQ(outputs->watchCount(), 0U);

    settings->setKeepSoundFromNewOutputs(true);
    show(offer({"room", "kitchen*"}));
    show(offer({"room", "kitchen", "hdmi*"}));  // the monitor wakes and takes the sound
    EXPECT_EQ(playing(), "kitchen");
    show(offer({"room", "kitchen*"}));
    show(offer({"room", "kitchen*", "hdmi"}));
    time->advanceBy(1s);
    show(offer({"room", "kitchen", "hdmi*"}));  // the server's switch comes a second late
    EXPECT_EQ(playing(), "kitchen");

    show(offer({"room", "kitchen*", "hdmi"}));
    time->advanceBy(3s);
    show(offer({"room", "kitchen", "hdmi*"}));  // there for a while: a pick by hand
    show(offer({"room", "kitchen", "hdmi*", "raop1"}));
    EXPECT_EQ(playing(), "hdmi");
    EXPECT_THAT(decisions(),
                ElementsAre("HDMI took the sound when it appeared — back to Küche Radio",
                            "HDMI took the sound when it appeared — back to Küche Radio",
                            "HDMI was picked by hand — left as it is until the next "
                            "wake"));
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
    time->advanceBy({});
    std::thread run([&] { tasks->runPending(); });
    time->waitForSleepers(1);  // attempt 1 failed; the run pauses for a second
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

    // Later runs of anyone else end without a second helping.
    settings->setConnectWhenSpeakerAppears(true);
    drain();
    orchestrator->reconnect("Wohnzimmer");
    drain();
    EXPECT_EQ(native->calls().size(), 3U);
}

TEST_F(SpeakerFollowerTest, TheWindowsEndWaitsForTheRunUnderWayAndAWakeDuringARunGetsItsOwn) {
    native->restart().then([this](const std::string& name, const std::stop_token& stop) {
        time->sleepFor(700ms, stop);  // the Sound menu's own wait
        press(name);
    });
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
    follower->followForAWhile(Intent::Source::wake);
    follower->selectBest();
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
