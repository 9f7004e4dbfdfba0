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

const SoundOutput kFallback{"Wohnzimmer", "wohnzimmer", true};
const SoundOutput kSpeaker{"Arbeitszimmer", "raop_sink.10.0.0.7.7000", false};
const SoundOutput kSpeakerSelected{"Arbeitszimmer", "raop_sink.10.0.0.7.7000", true};
const SoundOutput kFallbackAside{"Wohnzimmer", "wohnzimmer", false};

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
        SpeakerFollower::create(outputs, settings, orchestrator, tasks, time, log);
    std::vector<std::pair<std::string, std::string>> stayedAway;

    SpeakerFollowerTest() {
        follower->start([this](const std::string& speaker, const std::string& current) {
            stayedAway.emplace_back(speaker, current);
        });
        outputs->set({kFallback});
        script->thenThrow(AccessibilityError::unknown("no"));
    }
    ~SpeakerFollowerTest() override { time->stopMainQueue(); }

    // Delivers the list and runs what it starts, as the application's queue and pool would.
    void show(std::vector<SoundOutput> list) {
        outputs->set(std::move(list));
        time->advanceBy({});
        time->setAutoAdvance(true);
        tasks->runPending();
        time->setAutoAdvance(false);
        time->advanceBy({});
    }
};

TEST_F(SpeakerFollowerTest, ASpeakerAppearingWithinTheWindowIsSelectedAtOnceThenWatchingStops) {
    EXPECT_EQ(outputs->watchCount(), 0U);  // idle: no connection to the server
    follower->followForAWhile();
    show({kFallback});
    EXPECT_THAT(native->calls(), IsEmpty());  // what is there at first is no appearance
    time->advanceBy(2min);

    native->thenSucceed();
    show({kFallback, kSpeaker});
    ASSERT_EQ(native->calls().size(), 1U);
    EXPECT_EQ(native->calls()[0].at, 2min);
    show({kFallbackAside, kSpeakerSelected});
    EXPECT_EQ(outputs->watchCount(), 0U);
    const auto lines = log->lines();
    EXPECT_EQ(lines.front(), "info: [AirPlay] Following Arbeitszimmer for up to 3 minutes");
    EXPECT_EQ(lines[1], "info: [AirPlay] Arbeitszimmer appeared — selecting it");
    EXPECT_EQ(lines.back(), "info: [AirPlay] Arbeitszimmer is selected — following ends");

    // The person switches back to the room speaker by hand: nothing watches, nothing switches.
    show({kFallback, kSpeaker});
    time->advanceBy(5min);
    EXPECT_EQ(native->calls().size(), 1U);
    EXPECT_THAT(stayedAway, IsEmpty());
}

TEST_F(SpeakerFollowerTest, AnAppearanceDuringARetryPauseStartsTheNextAttemptNowAndNoSecondRun) {
    // The press makes the speaker the default; the server tells before the run has ended.
    native->thenThrow(AccessibilityError::deviceNotFound("Arbeitszimmer"))
        .then([&](const std::string&, std::stop_token) {
            outputs->set({kFallbackAside, kSpeakerSelected});
        });
    follower->followForAWhile();
    time->advanceBy({});
    std::thread run([&] { orchestrator->reconnect("Arbeitszimmer"); });
    time->waitForSleepers(1);  // attempt 1 failed; the run pauses for a second
    outputs->set({kFallback, kSpeaker});
    time->advanceBy({});
    run.join();
    time->advanceBy({});
    EXPECT_EQ(native->calls().size(), 2U);
    EXPECT_EQ(native->calls()[1].at, 0s);
    EXPECT_EQ(tasks->pendingCount(), 0U);
    EXPECT_THAT(log->lines(),
                Contains("info: [AirPlay] Arbeitszimmer appeared — next attempt starts now"));

    // Gone during the check and back before the run ends: the run says success, the list
    // says otherwise, and one more run follows.
    settings->setConnectWhenSpeakerAppears(true);
    show({kFallback});
    native->restart().then([&](const std::string&, std::stop_token) {
        for (const auto& list : {std::vector{kFallbackAside, kSpeakerSelected},
                                 std::vector{kFallback}, std::vector{kFallback, kSpeaker}}) {
            outputs->set(list);
            time->advanceBy({});
        }
    });
    run = std::thread([&] { orchestrator->reconnect("Arbeitszimmer"); });
    run.join();
    time->advanceBy({});
    EXPECT_EQ(tasks->pendingCount(), 1U);
}

TEST_F(SpeakerFollowerTest, ARunThatFailsDespiteTheAppearanceIsFollowedByOneMore) {
    orchestrator->updateRetryDelays({0});
    native->then([&](const std::string&, std::stop_token) {
        outputs->set({kFallback, kSpeaker});  // appears while the only attempt reads the menu
        time->advanceBy({});
        throw AccessibilityError::deviceNotFound("Arbeitszimmer");
    });
    native->thenSucceed();
    follower->followForAWhile();
    time->advanceBy({});
    std::thread run([&] { orchestrator->reconnect("Arbeitszimmer"); });
    run.join();
    time->advanceBy({});
    EXPECT_EQ(tasks->runPending(), 1U);
    EXPECT_EQ(native->calls().size(), 2U);
}

TEST_F(SpeakerFollowerTest, TheWindowEndsOnceWithoutTheSpeakerThenOnlyTheSettingFollows) {
    follower->followForAWhile();
    show({kFallback});
    time->advanceBy(1min);
    follower->followForAWhile();  // a second wake: the window runs three minutes from here
    time->advanceBy(2min + 59s);
    EXPECT_THAT(stayedAway, IsEmpty());
    time->advanceBy(1s);
    EXPECT_THAT(stayedAway,
                ElementsAre(std::pair<std::string, std::string>("Arbeitszimmer", "Wohnzimmer")));
    EXPECT_EQ(outputs->watchCount(), 0U);
    EXPECT_EQ(log->lines().back(),
              "info: [AirPlay] Arbeitszimmer did not come back within 3 minutes — stopped "
              "following");

    settings->setConnectWhenSpeakerAppears(true);
    EXPECT_EQ(outputs->watchCount(), 1U);
    native->thenSucceed();
    show({kFallback});
    show({kFallback, kSpeaker});  // switched on in the evening
    EXPECT_EQ(native->calls().size(), 1U);
    show({kFallback, kSpeakerSelected});
    show({kFallback, kSpeaker});  // the person picked the room speaker: no fight
    show({kFallback});
    settings->setConnectWhenSpeakerAppears(false);
    EXPECT_EQ(outputs->watchCount(), 0U);
    EXPECT_EQ(native->calls().size(), 1U);
    EXPECT_EQ(stayedAway.size(), 1U);
}

}  // namespace
}  // namespace tonvera::testing
