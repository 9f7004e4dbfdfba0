#include "platform/linux/thread_pool_task_runner.h"

#include <atomic>
#include <future>
#include <latch>
#include <stdexcept>
#include <utility>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/steady_clock.h"
#include "platform/testing/memory_log_sink.h"
#include "platform/testing/virtual_time.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

struct PoolTest : ::testing::Test {
    std::shared_ptr<testing::MemoryLogSink> log = std::make_shared<testing::MemoryLogSink>();
    SteadyClock clock;
};

TEST_F(PoolTest, ACallersTokenStopsItsTaskOnlyAndShutdownStopsTheRestAndDropsQueuedOnes) {
    ThreadPoolTaskRunner runner(2, log);
    std::stop_source caller;
    std::latch firstTwo(2);
    std::latch third(1);
    std::atomic<int> cutShort{0};
    std::atomic<int> queuedRan{0};
    const auto sleeper = [this, &cutShort](std::latch* started) {
        return [this, &cutShort, started](const std::stop_token& stop) {
            started->count_down();
            cutShort += clock.sleepFor(1h, stop) ? 0 : 1;  // an hour-long wait only a stop ends
            cutShort.notify_all();
        };
    };
    ASSERT_TRUE(runner.submit(sleeper(&firstTwo), caller.get_token()));
    ASSERT_TRUE(runner.submit(sleeper(&firstTwo)));
    firstTwo.wait();
    caller.request_stop();
    cutShort.wait(0);
    EXPECT_EQ(cutShort.load(), 1);  // the caller's stop reached its own task only

    ASSERT_TRUE(runner.submit(sleeper(&third)));
    third.wait();  // both workers busy again
    ASSERT_TRUE(runner.submit([&](const std::stop_token&) { ++queuedRan; }));
    runner.shutdown();
    runner.shutdown();  // harmless twice
    EXPECT_EQ(cutShort.load(), 3);
    EXPECT_EQ(queuedRan.load(), 0);
    EXPECT_FALSE(runner.submit([](const std::stop_token&) {}));

    // Idle workers wait for work; a shutdown that wakes only one would wait out the bound.
    ThreadPoolTaskRunner idle(2, log);
    std::latch bothStarted(2);
    for (int i = 0; i < 2; ++i) {
        idle.submit([&](const std::stop_token&) { bothStarted.arrive_and_wait(); });
    }
    bothStarted.wait();
    idle.shutdown();
    EXPECT_TRUE(log->lines().empty());  // every worker ended within the bound
}

TEST_F(PoolTest, APoolReleasedInsideItsOwnTaskNeverJoinsThatWorker) {
    struct LastReference {
        LastReference(std::shared_ptr<ThreadPoolTaskRunner> last, std::promise<void>* done)
            : pool(std::move(last)), released(done) {}
        LastReference(const LastReference&) = delete;
        LastReference& operator=(const LastReference&) = delete;
        std::shared_ptr<ThreadPoolTaskRunner> pool;
        std::promise<void>* released;
        ~LastReference() {
            pool.reset();           // the pool goes away on its own worker
            released->set_value();  // reached only when no exception left its destructor
        }
    };
    std::promise<void> released;
    std::latch dropped(1);
    auto pool = std::make_shared<ThreadPoolTaskRunner>(2, log);
    pool->submit([last = std::make_shared<LastReference>(pool, &released),
                  &dropped](const std::stop_token&) { dropped.wait(); });
    pool.reset();
    dropped.count_down();
    released.get_future().get();
    EXPECT_TRUE(log->lines().empty());
}

TEST_F(PoolTest, ATaskThatIgnoresItsTokenIsLeftBehindAfterTheBound) {
    auto runner = std::make_unique<ThreadPoolTaskRunner>(1, log, 50ms);
    std::promise<void> release;
    std::latch running(1);
    runner->submit([&](const std::stop_token&) {
        running.count_down();
        release.get_future().wait();
    });
    running.wait();
    std::promise<void> gone;
    std::thread quitting([&] {
        runner.reset();
        gone.set_value();
    });
    const bool withinBound = gone.get_future().wait_for(10s) == std::future_status::ready;
    release.set_value();
    quitting.join();
    EXPECT_TRUE(withinBound);
    EXPECT_THAT(log->lines(), ElementsAre("error: 1 background task(s) did not stop within 50 ms; "
                                          "left running"));
}

TEST_F(PoolTest, AThrowingTaskIsLoggedAndCompletionsReachTheMainQueueWithTheOutcome) {
    auto mainQueue = std::make_shared<testing::VirtualTime>();
    ThreadPoolTaskRunner runner(1, log);
    runner.submit([](const std::stop_token&) { throw std::runtime_error("broken"); });
    runner.submit([](const std::stop_token&) { throw 7; });
    std::vector<std::string> completed;
    // The error's text reaching the window is the views' tests' business.
    const auto record = [&](const TaskOutcome<int>& outcome) {
        completed.push_back(outcome.succeeded() ? std::to_string(outcome.value()) : "failed");
    };
    submitWithCompletion(
        runner, mainQueue, [](const std::stop_token&) { return 42; }, record);
    submitWithCompletion(
        runner, mainQueue,
        [](const std::stop_token&) -> int { throw std::runtime_error("offline"); }, record);
    std::latch allRan(1);  // one worker takes the tasks in order
    runner.submit([&](const std::stop_token&) { allRan.count_down(); });
    allRan.wait();
    EXPECT_TRUE(completed.empty());  // nothing runs off the main queue
    mainQueue->advanceBy(0s);
    EXPECT_THAT(completed, ElementsAre("42", "failed"));
    runner.shutdown();
    EXPECT_THAT(log->lines(),
                ElementsAre("error: Background task failed: broken",
                            "error: Background task failed with an unknown exception"));
}

}  // namespace
}  // namespace tonvera
