#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "selection/accessibility_error.h"
#include "unit/reconnect/orchestrator_fixture.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

// Counts threads that have returned, so the test can wait for them without sleeping.
class ReturnCounter {
  public:
    void arrive() {
        std::lock_guard lock(mutex_);
        ++count_;
        changed_.notify_all();
    }
    void waitFor(int count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return count_ >= count; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

long countLines(const std::vector<std::string>& lines, const std::string& line) {
    return std::count(lines.begin(), lines.end(), line);
}

TEST_F(OrchestratorFixture, ManySimultaneousRequestsMakeExactlyOneRun) {
    native->thenThrow(AccessibilityError::soundMenuNotFound()).thenSucceed();
    script->thenThrow(AccessibilityError::unknown("not yet"));

    constexpr int kCallers = 8;
    ReturnCounter returned;
    std::vector<std::thread> callers;
    for (int i = 0; i < kCallers; ++i) {
        callers.emplace_back([&] {
            orchestrator.reconnect("Wohnzimmer");
            returned.arrive();
        });
    }
    // The one run fails its first attempt and sleeps; everybody else is turned away meanwhile.
    time->waitForSleepers(1);
    returned.waitFor(kCallers - 1);
    EXPECT_TRUE(orchestrator.isRunning());

    time->advanceBy(1s);
    for (auto& caller : callers) {
        caller.join();
    }

    const auto lines = log->lines();
    EXPECT_EQ(
        countLines(lines, "info: [AirPlay] Reconnect requested for Wohnzimmer with 4 attempts"), 1);
    EXPECT_EQ(
        countLines(lines,
                   "info: [AirPlay] Reconnect already in progress — skipping duplicate request"),
        kCallers - 1);
    EXPECT_EQ(lines.back(),
              "info: [AirPlay] Successfully selected Wohnzimmer on attempt 2 (native)");
    EXPECT_EQ(native->calls().size(), 2U);
    EXPECT_FALSE(orchestrator.isRunning());
}

TEST_F(OrchestratorFixture, NewDelaysDuringARunApplyOnlyToTheNextRun) {
    native->thenThrow(AccessibilityError::soundMenuNotFound());
    script->thenThrow(AccessibilityError::unknown("no"));
    orchestrator.updateRetryDelays({0, 2, 2});

    std::thread run([&] { orchestrator.reconnect("A"); });
    time->waitForSleepers(1);
    orchestrator.updateRetryDelays({0, 5});
    EXPECT_THAT(orchestrator.retryDelays(), ElementsAre(0, 5));
    time->setAutoAdvance(true);
    run.join();

    EXPECT_EQ(log->lines().back(),
              "error: [AirPlay] AirPlay device \"A\" not available after 3 attempts. Waiting for "
              "next wake event.");
    EXPECT_THAT(time->requestedSleeps(), ElementsAre(2s, 2s));

    log->clear();
    orchestrator.reconnect("A");
    EXPECT_EQ(log->lines().front(), "info: [AirPlay] Reconnect requested for A with 2 attempts");
    EXPECT_THAT(time->requestedSleeps(), ElementsAre(2s, 2s, 5s));
}

}  // namespace
}  // namespace tonvera::testing
