#include "reconnect/reconnect_orchestrator.h"

#include <chrono>
#include <limits>
#include <stdexcept>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/process_launcher.h"
#include "platform/testing/memory_log_sink.h"
#include "platform/testing/trust_switch.h"
#include "platform/testing/virtual_time.h"
#include "reconnect/failure_ranking.h"
#include "selection/accessibility_error.h"
#include "selection/cancellation_error.h"
#include "selection/error_description.h"
#include "selection/output_selection_error.h"
#include "support/scripted_selector.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

struct ReconnectOrchestratorTest : ::testing::Test {
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>();
    std::shared_ptr<ScriptedSelector> native = std::make_shared<ScriptedSelector>(time);
    std::shared_ptr<ScriptedSelector> script = std::make_shared<ScriptedSelector>(time);
    std::shared_ptr<TrustSwitch> trust = std::make_shared<TrustSwitch>(true);
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    ReconnectOrchestrator orchestrator{native, script, trust, time, log};

    ReconnectOrchestratorTest() { time->setAutoAdvance(true); }
};

TEST_F(ReconnectOrchestratorTest, AllAttemptsFailingRunsTheWholeScheduleThenGivesUp) {
    native->thenThrow(AccessibilityError::soundMenuNotFound());
    script->thenThrow(AccessibilityError::unknown("Device not found: Wohnzimmer"));

    orchestrator.reconnect("Wohnzimmer");

    const std::string nativeFailed = "Sound-Menü nicht gefunden (com.apple.menuextra.sound)";
    std::vector<std::string> expected = {
        "info: [AirPlay] Reconnect requested for Wohnzimmer with 4 attempts"};
    for (int n = 1; n <= 4; ++n) {
        if (n > 1) {
            expected.push_back(fmt::format("info: [AirPlay] Waiting {}.000000s before attempt {}",
                                           1 << (n - 2), n));
        }
        expected.push_back(fmt::format("info: [AirPlay] Attempt {}/4 to select Wohnzimmer", n));
        expected.push_back(fmt::format(
            "error: [AirPlay] Native attempt {} failed: {} — trying AppleScript fallback", n,
            nativeFailed));
        expected.push_back(
            fmt::format("error: [AirPlay] Attempt {}/4 failed: Device not found: Wohnzimmer", n));
    }
    expected.emplace_back(
        "error: [AirPlay] AirPlay device \"Wohnzimmer\" not available after 4 attempts. Waiting "
        "for next wake event.");
    EXPECT_EQ(log->lines(), expected);

    EXPECT_THAT(time->requestedSleeps(), ElementsAre(1s, 2s, 4s));
}

TEST_F(ReconnectOrchestratorTest, StopsAtTheFirstSuccessOfEitherRoute) {
    native->thenThrow(AccessibilityError::deviceNotFound("Büro"));
    script->thenThrow(AccessibilityError::unknown("boom")).thenSucceed();

    orchestrator.reconnect("Büro");
    // The line formats of a failing attempt are pinned by the whole-schedule test above.
    EXPECT_EQ(std::pair(native->calls().size(), script->calls().size()), std::pair(2UL, 2UL));
    EXPECT_EQ(log->lines().back(),
              "info: [AirPlay] Successfully selected Büro on attempt 2 (AppleScript fallback)");
}

TEST_F(ReconnectOrchestratorTest, AlreadySelectedFromTheNativeRouteEndsTheRunAsSuccess) {
    native->thenThrow(AccessibilityError::alreadySelected("Küche"));
    orchestrator.reconnect("Küche");
    EXPECT_EQ(log->lines().size(), 3U);  // requested, the attempt, and this
    EXPECT_EQ(log->lines().back(), "info: [AirPlay] Output already selected: Küche");
    EXPECT_THAT(script->calls(), IsEmpty());

    // From the fallback it is just another failure.
    log->clear();
    orchestrator.updateRetryDelays({0});
    native->restart().thenThrow(AccessibilityError::soundMenuNotFound());
    script->restart().thenThrow(AccessibilityError::alreadySelected("Küche"));
    orchestrator.reconnect("Küche");
    EXPECT_EQ(log->lines().at(3),
              "error: [AirPlay] Attempt 1/1 failed: Ausgang bereits ausgewählt: Küche");
}

TEST_F(ReconnectOrchestratorTest, PermissionLostMidRunAbortsTheRemainingAttempts) {
    native->thenThrow(AccessibilityError::soundMenuNotFound());
    script->thenThrow(AccessibilityError::unknown("execution error: x"))
        .thenThrow(AccessibilityError::unknown("osascript is NOT Allowed assistive access."));
    orchestrator.reconnect("Büro");
    auto lines = log->lines();
    ASSERT_EQ(lines.size(), 9U);
    EXPECT_EQ(lines[7],
              "error: [AirPlay] Attempt 2/4 failed: osascript is NOT Allowed assistive access.");
    EXPECT_EQ(lines[8], "error: [AirPlay] Accessibility permission missing — aborting retries");
    EXPECT_EQ(native->calls().size(), 2U);
}

TEST_F(ReconnectOrchestratorTest, OtherFailuresSkipTheFallbackAndNeverEscape) {
    orchestrator.updateRetryDelays({0, 0.5});
    native->thenThrow(std::runtime_error("Could not start /usr/bin/osascript: No such file"))
        .then([](const std::string&, const std::stop_token&) { throw 42; });

    orchestrator.reconnect("Büro");
    // The other lines are those of the whole-schedule test; no fallback line comes between.
    const auto lines = log->lines();
    ASSERT_EQ(lines.size(), 7U);
    EXPECT_EQ(lines[2],
              "error: [AirPlay] Attempt 1/2 failed: Could not start /usr/bin/osascript: "
              "No such file");
    EXPECT_EQ(lines[3], "info: [AirPlay] Waiting 0.500000s before attempt 2");
    EXPECT_EQ(lines[5],
              "error: [AirPlay] Attempt 2/2 failed: The operation couldn’t be completed "
              "(unknown error).");
    EXPECT_THAT(script->calls(), IsEmpty());
    EXPECT_FALSE(orchestrator.isRunning());

    // The fallback throwing something odd ends the attempt just as cleanly.
    log->clear();
    native->restart().thenThrow(AccessibilityError::soundMenuNotFound());
    script->restart().then(
        [](const std::string&, const std::stop_token&) { throw std::string("odd"); });
    orchestrator.reconnect("Büro");
    EXPECT_FALSE(orchestrator.isRunning());
    EXPECT_THAT(log->lines().back(), HasSubstr("\"Büro\" not available after 2 attempts"));
}

TEST_F(ReconnectOrchestratorTest, RefusalsLeaveTheOrchestratorIdleAndNamesPassVerbatim) {
    native->thenSucceed();
    for (const char* blank : {"", "   ", "\t \t", "\u00a0\u2003"}) {
        EXPECT_EQ(orchestrator.reconnect(blank).status, ReconnectResult::Status::noDevice);
    }
    trust->set(false);
    EXPECT_EQ(orchestrator.reconnect("Büro").status, ReconnectResult::Status::permissionMissing);
    const std::string noDevice = "error: [AirPlay] No device configured — skipping reconnect";
    EXPECT_THAT(log->lines(),
                ElementsAre(noDevice, noDevice, noDevice, noDevice,
                            "error: [AirPlay] Accessibility permission missing — aborting "
                            "reconnect. Please enable in System Settings → Privacy & Security → "
                            "Device Control and Data Access"));
    EXPECT_THAT(native->calls(), IsEmpty());
    EXPECT_FALSE(orchestrator.isRunning());

    trust->set(true);
    orchestrator.reconnect(" \tKüche Radio ");
    ASSERT_EQ(native->calls().size(), 1U);
    EXPECT_EQ(native->calls()[0].name, " \tKüche Radio ");
    EXPECT_EQ(log->lines().back(),
              "info: [AirPlay] Successfully selected  \tKüche Radio  on attempt 1 (native)");
}

TEST_F(ReconnectOrchestratorTest, AStopRequestCutsPausesShortAndTheRunStillEnds) {
    native->then([](const std::string&, const std::stop_token& stop) {
        if (stop.stop_requested()) {
            throw std::runtime_error("cancelled");
        }
        throw AccessibilityError::soundMenuNotFound();
    });
    script->thenThrow(AccessibilityError::unknown("no"));
    time->setAutoAdvance(false);

    std::stop_source stopSource;
    std::thread run([&] { orchestrator.reconnect("A", stopSource.get_token()); });
    time->waitForSleepers(1);
    stopSource.request_stop();
    run.join();

    EXPECT_EQ(time->elapsed(), 0s);  // no pause was waited out
    EXPECT_THAT(log->lines().back(), HasSubstr("\"A\" not available after 4 attempts"));
    EXPECT_FALSE(orchestrator.isRunning());
}

TEST_F(ReconnectOrchestratorTest, NewDelaysApplyFromTheNextRunAndOddOnesNeitherHangNorOverflow) {
    native->thenThrow(AccessibilityError::soundMenuNotFound());
    script->thenThrow(AccessibilityError::unknown("no"));
    orchestrator.updateRetryDelays({0, 2, 2});
    time->setAutoAdvance(false);

    std::thread run([&] { orchestrator.reconnect("A"); });
    time->waitForSleepers(1);
    orchestrator.updateRetryDelays({0, 5});
    time->setAutoAdvance(true);
    run.join();
    EXPECT_THAT(time->requestedSleeps(), ElementsAre(2s, 2s));

    log->clear();
    orchestrator.reconnect("A");
    EXPECT_EQ(log->lines().front(), "info: [AirPlay] Reconnect requested for A with 2 attempts");
    EXPECT_THAT(time->requestedSleeps(), ElementsAre(2s, 2s, 5s));

    // Zero, negative and not-a-number pauses are no pauses; huge and infinite ones are cut to
    // the bound.
    orchestrator.updateRetryDelays({0, -1, std::numeric_limits<double>::quiet_NaN(), 1e300,
                                    std::numeric_limits<double>::infinity()});
    orchestrator.reconnect("A");
    EXPECT_THAT(time->requestedSleeps(), ElementsAre(2s, 2s, 5s, 3600s, 3600s));
    EXPECT_THAT(log->lines(), Contains("info: [AirPlay] Waiting 3600.000000s before attempt 4"));

    // No entries at all: the run starts and ends without an attempt.
    log->clear();
    orchestrator.updateRetryDelays({});
    orchestrator.reconnect("A");
    EXPECT_THAT(log->lines(),
                ElementsAre("info: [AirPlay] Reconnect requested for A with 0 attempts"));
    EXPECT_FALSE(orchestrator.isRunning());
}

TEST_F(ReconnectOrchestratorTest, HurryingSkipsThePauseAndQuittingEndsTheRunWithoutBlame) {
    using Status = ReconnectResult::Status;
    native->thenThrow(AccessibilityError::soundMenuNotFound())
        .then([this](const std::string&, const std::stop_token&) {
            orchestrator.hurry();  // the speaker appeared while this attempt read the menu
            throw AccessibilityError::soundMenuNotFound();
        })
        .thenSucceed();
    script->thenThrow(AccessibilityError::unknown("no"));
    time->setAutoAdvance(false);

    ReconnectResult result;
    std::thread run([&] { result = orchestrator.reconnect("A"); });
    time->waitForSleepers(1);
    orchestrator.hurry();
    run.join();
    EXPECT_EQ(std::pair(result.status, time->elapsed()),  // neither pause was waited out
              std::pair(Status::selected, 0ns));

    native->restart().thenThrow(AccessibilityError::soundMenuNotFound());
    log->clear();
    run = std::thread([&] { result = orchestrator.reconnect("A"); });
    time->waitForSleepers(1);
    orchestrator.cancelForQuit();
    run.join();
    EXPECT_EQ(std::pair(result.status, native->calls().size()), std::pair(Status::cancelled, 4UL));
    EXPECT_EQ(log->lines().back(), "info: [AirPlay] Reconnect for A stopped — app terminating");
    EXPECT_EQ(orchestrator.reconnect("A").status, Status::cancelled);
}

TEST_F(ReconnectOrchestratorTest, AGivenUpPreferredOutputHandsOverToTheFirstPresentEntryOnce) {
    using Status = ReconnectResult::Status;
    orchestrator.updateRetryDelays({0, 1});
    // The preferred output is listed but cannot be selected: the list never picks it itself.
    std::vector<SoundOutput> present = {
        {"Wohnzimmer", "room", true}, {"Büro", "b", false}, {"Küche Radio", "k", false}};
    orchestrator.setPresentOutputs([&] { return SoundOutputs::List(present); });
    native->then([](const std::string& name, const std::stop_token&) {
        if (name != "Küche Radio") {
            throw AccessibilityError::deviceNotFound(name);
        }
    });
    script->thenThrow(AccessibilityError::unknown("no"));
    // The list as stored: the preferred name, a blank and a repeat do not count.
    const OutputRanking ranking("Büro", {},
                                {"Büro", "Terrasse", " ", "Küche Radio", "Küche Radio"});

    const auto result = orchestrator.reconnectBest(ranking);
    EXPECT_EQ(std::tuple(result.status, result.output, result.place),
              std::tuple(Status::selected, "Küche Radio", RankPlace{RankPlace::Section::below, 2}));
    const auto lines = log->lines();
    EXPECT_THAT(std::vector(lines.end() - 3, lines.end()),
                ElementsAre("info: [AirPlay] Büro is not there — selecting Küche Radio (2nd in "
                            "the list)",
                            "info: [AirPlay] Attempt 1/1 to select Küche Radio",
                            "info: [AirPlay] Successfully selected Küche Radio on attempt 1 "
                            "(native)"));
    // Right after the last attempt, no pause between.
    EXPECT_EQ(std::pair(native->calls().size(), native->calls().back().at),
              (std::pair<std::size_t, Clock::Duration>(3, 1s)));

    // Playing already: said, nothing pressed. None there: nothing changes. No permission: the
    // list is not tried at all.
    present = {{"Küche Radio", "k", true}};
    EXPECT_EQ(orchestrator.reconnectBest(ranking).output, "Küche Radio");
    EXPECT_EQ(log->lines().back(),
              "info: [AirPlay] Büro is not there — Küche Radio plays (2nd in the list)");
    present = {{"Wohnzimmer", "room", true}};
    EXPECT_EQ(orchestrator.reconnectBest(ranking).status, Status::notAvailable);
    EXPECT_EQ(log->lines().back(), "info: [AirPlay] No output of the list is there either");
    script->restart().thenThrow(AccessibilityError::permissionMissing());
    log->clear();
    EXPECT_EQ(orchestrator.reconnectBest(ranking).status, Status::permissionMissing);
    EXPECT_EQ(log->lines().back(),
              "error: [AirPlay] Accessibility permission missing — aborting retries");
    EXPECT_EQ(native->calls().size(), 8U);
}

TEST_F(ReconnectOrchestratorTest, APickEndsTheRunAtItsNextStepAndTheRunForItTakesOver) {
    using Status = ReconnectResult::Status;
    const auto intent = std::make_shared<SoundIntent>();
    ReconnectOrchestrator serving{native, script, trust, time, log, intent};
    const std::string stopped = "info: [AirPlay] Reconnect for A stopped — B was picked by hand";
    const auto pick = [&] { intent->pick("B", Intent::Source::handPick); };
    const auto ranking = [&] { return intent->followRanking(Intent::Source::wake); };

    // Queued before the pick: nothing is tried.
    auto ticket = ranking();
    pick();
    EXPECT_EQ(serving.reconnect("A", {}, ticket).status, Status::superseded);
    EXPECT_THAT(log->lines(), ElementsAre(stopped));
    EXPECT_THAT(native->calls(), IsEmpty());

    // In the menu's wait of an attempt: nothing is pressed, no other route is tried.
    native->then([&](const std::string&, const std::stop_token& stop) {
        pick();
        if (!time->sleepFor(700ms, stop)) {
            throw CancellationError();
        }
    });
    ticket = ranking();
    log->clear();
    EXPECT_EQ(serving.reconnect("A", {}, ticket).status, Status::superseded);
    EXPECT_EQ(std::tuple(log->lines().back(), script->calls().size(), time->elapsed()),
              std::tuple(stopped, 0UL, 0ns));

    // Before the list: its first entry is not selected.
    native->restart().thenThrow(AccessibilityError::deviceNotFound("A"));
    script->then([&](const std::string&, const std::stop_token&) {
        pick();
        throw AccessibilityError::unknown("no");
    });
    serving.updateRetryDelays({0});
    serving.setPresentOutputs([] { return SoundOutputs::List({{"C", "c", false}}); });
    ticket = ranking();
    log->clear();
    EXPECT_EQ(serving.reconnectBest(OutputRanking("A", {}, {"C"}), {}, ticket).status,
              Status::superseded);
    EXPECT_EQ(std::pair(log->lines().back(), native->calls().size()), std::pair(stopped, 2UL));

    // In a pause: no next attempt; the run for the pick takes over instead of being refused.
    native->restart().thenThrow(AccessibilityError::deviceNotFound("A")).thenSucceed();
    script->restart().thenThrow(AccessibilityError::unknown("no"));
    serving.updateRetryDelays({0, 5});
    time->setAutoAdvance(false);
    ticket = ranking();
    std::thread run([&] { serving.reconnect("A", {}, ticket); });
    time->waitForSleepers(1);
    pick();
    const auto result = serving.reconnect("B", {}, intent->current());
    run.join();
    EXPECT_EQ(std::pair(result.status, native->calls().back().name),
              std::pair(Status::selected, std::string("B")));
    EXPECT_THAT(log->lines(), Contains(stopped));
    EXPECT_EQ(serving.reconnect("B", {}, intent->current()).status, Status::selected);
}

TEST(OrdinalTest, EnglishSuffixes) {
    std::string all;
    for (const std::size_t place : {1, 2, 3, 4, 11, 12, 13, 16, 21, 112}) {
        all += ordinal(place) + " ";
    }
    EXPECT_EQ(all, "1st 2nd 3rd 4th 11th 12th 13th 16th 21st 112th ");
}

TEST(OutputRankingTest, AtMostSixteenUsableNamesInAllCountAndCanonicallyEqualNamesAreOne) {
    std::vector<std::string> stored = {"Ku\u0308che", "Küche", "", "\t\n", "Bo\u0308rse", "Börse"};
    for (int i = 0; i < 20; ++i) {
        stored.push_back("Box " + std::to_string(i));
    }
    // Above: a repeat of the preferred name, a name the list repeats in other bytes.
    const OutputRanking ranking("Küche", {"Küche", "Börse", "Box 0"}, stored);
    EXPECT_EQ(ranking.above(), (std::vector<std::string>{"Börse", "Box 0"}));
    ASSERT_EQ(ranking.fallbacks().size(), 14U);
    EXPECT_EQ(ranking.fallbacks().front(), "Box 1");
    EXPECT_EQ(
        std::tuple(ranking.rankOf("Ku\u0308che"), ranking.rankOf("Box 15"),
                   ranking.ranksAbovePreferred("Box 0"), ranking.ranksAbovePreferred("Box 1")),
        std::tuple(std::optional<std::size_t>(2), std::nullopt, true, false));
    EXPECT_EQ(
        std::pair(ranking.placeOf("Bo\u0308rse"), ranking.placeOf("Box 14")),
        (std::pair<std::optional<RankPlace>, std::optional<RankPlace>>(
            RankPlace{RankPlace::Section::above, 1}, RankPlace{RankPlace::Section::below, 14})));
    // Of two outputs with one name, the playing one stands for it.
    const std::vector<SoundOutput> outputs = {
        {"HDMI", "h", true}, {"Box 3", "b3", false}, {"Box 1", "a", false}, {"Box 1", "b", true}};
    EXPECT_EQ(ranking.bestPresent(outputs)->identifier, "b");
}

TEST(FailureRankingTest, TheFailureThatNamesTheCauseBestWinsAndTheFallbackWinsATie) {
    using enum FailureRank;
    const auto error = [](auto failure) { return std::make_exception_ptr(failure); };
    const std::vector<std::pair<std::exception_ptr, FailureRank>> rows = {
        {error(AccessibilityError::permissionMissing()), permissionMissing},
        {error(OutputSelectionError::failed("pactl: Permission denied")), permissionMissing},
        {error(OutputSelectionError::noSoundServer()), noSoundServer},
        {error(OutputSelectionError::notFound("Keller", {"Küche"})), notThere},
        {error(AccessibilityError::deviceNotFound("Keller")), notThere},
        {error(OutputSelectionError::timedOut("/bin/sh", std::chrono::seconds(10))), timedOut},
        {error(AccessibilityError::timeout()), timedOut},
        {error(AccessibilityError::soundMenuNotFound()), other},
        {error(ProcessLaunchError("Could not start /bin/sh")), other},
        // A run ends on any of these words, in any case, whatever the error's type.
        {error(AccessibilityError::unknown("Keine Berechtigung")), permissionMissing},
        {error(AccessibilityError::unknown("kein Hilfszugriff")), permissionMissing},
        {error(AccessibilityError::unknown("ASSISTIVE")), permissionMissing},
        {error(AccessibilityError::unknown("not allowed")), permissionMissing},
        {error(std::runtime_error("launcher refused: permission")), permissionMissing},
    };
    for (const auto& [failure, rank] : rows) {
        EXPECT_EQ(rankFailure(failure), rank) << describeError(failure);
    }
    // The Sound menu's failure, then the script route's: no server (over anything else, and over
    // "not there"); not there; timed out.
    EXPECT_EQ(mostTellingFailure(rows[7].first, rows[2].first), rows[2].first);
    EXPECT_EQ(mostTellingFailure(rows[4].first, rows[2].first), rows[2].first);
    EXPECT_EQ(mostTellingFailure(rows[4].first, rows[3].first), rows[3].first);
    EXPECT_EQ(mostTellingFailure(rows[4].first, rows[5].first), rows[4].first);
}

}  // namespace
}  // namespace tonvera::testing
