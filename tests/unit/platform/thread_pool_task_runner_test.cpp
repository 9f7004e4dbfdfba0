#include "platform/linux/thread_pool_task_runner.h"

#include <atomic>
#include <condition_variable>
#include <latch>
#include <mutex>
#include <stdexcept>

#include <gtest/gtest.h>

#include "platform/linux/steady_clock.h"
#include "platform/testing/memory_log_sink.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;

TEST(ThreadPoolTaskRunnerTest, ShutdownStopsRunningTasksDropsQueuedOnesAndRefusesNewOnes) {
    auto log = std::make_shared<testing::MemoryLogSink>();
    ThreadPoolTaskRunner runner(2, log);
    SteadyClock clock;
    std::latch bothRunning(2);
    std::atomic<int> cutShort{0};
    std::atomic<int> queuedRan{0};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(runner.submit([&](std::stop_token stop) {
            bothRunning.count_down();
            // An hour-long wait that shutdown must end at once.
            if (!clock.sleepFor(1h, stop)) {
                ++cutShort;
            }
        }));
    }
    ASSERT_TRUE(runner.submit([&](std::stop_token) { ++queuedRan; }));
    bothRunning.wait();

    runner.shutdown();
    runner.shutdown();  // harmless twice
    EXPECT_EQ(cutShort.load(), 2);
    EXPECT_EQ(queuedRan.load(), 0);
    EXPECT_FALSE(runner.submit([](std::stop_token) {}));
}

TEST(ThreadPoolTaskRunnerTest, AThrowingTaskIsLoggedAndTheWorkerCarriesOn) {
    auto log = std::make_shared<testing::MemoryLogSink>();
    ThreadPoolTaskRunner runner(1, log);
    std::latch done(1);
    runner.submit([](std::stop_token) { throw std::runtime_error("broken"); });
    runner.submit([](std::stop_token) { throw 7; });
    runner.submit([&](std::stop_token) { done.count_down(); });
    done.wait();
    runner.shutdown();
    ASSERT_EQ(log->lines().size(), 2U);
    EXPECT_EQ(log->lines()[0], "error: Background task failed: broken");
    EXPECT_EQ(log->lines()[1], "error: Background task failed with an unknown exception");
}

TEST(SteadyClockTest, SleepsEndEarlyOnlyOnAStopRequest) {
    SteadyClock clock;
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_FALSE(clock.sleepFor(1h, stopped.get_token()));
    EXPECT_TRUE(clock.sleepFor(1ms, {}));
    const auto start = clock.now();
    EXPECT_TRUE(clock.sleepFor(0s, {}));
    EXPECT_GE(clock.now(), start);
}

}  // namespace
}  // namespace tonvera
