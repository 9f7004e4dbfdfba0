#include "reconnect/wake_monitor.h"

#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/testing/manual_system_events.h"
#include "platform/testing/manual_task_runner.h"
#include "platform/testing/memory_log_sink.h"
#include "platform/testing/virtual_time.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

struct WakeMonitorTest : ::testing::Test {
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>();
    std::shared_ptr<ManualSystemEvents> events = std::make_shared<ManualSystemEvents>();
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    std::shared_ptr<ManualTaskRunner> tasks = std::make_shared<ManualTaskRunner>();
    std::vector<Clock::Duration> callbacks;
    std::shared_ptr<WakeMonitor> monitor = WakeMonitor::create(
        events, tasks, time, log,
        [this](const std::stop_token&) { callbacks.push_back(time->elapsed()); });
};

TEST_F(WakeMonitorTest, SleepIsOnlyLoggedAndAStoppedDroppedOrQuittingMonitorRunsNothing) {
    monitor->stop();  // before start: nothing to do
    monitor->start();
    EXPECT_EQ(events->subscriptionCount(), 3U);
    events->post(SystemEvent::screensDidSleep);
    EXPECT_EQ(log->lines().back(), "info: [AirPlay] Sleep detected");

    monitor->stop();
    monitor->stop();
    EXPECT_EQ(events->subscriptionCount(), 0U);
    log->clear();
    events->post(SystemEvent::didWake);
    events->post(SystemEvent::screensDidWake);
    time->advanceBy(5s);
    tasks->runPending();
    EXPECT_TRUE(log->lines().empty());

    // A wake still pausing when the owner drops the monitor, or when the application quits
    // and the main queue's blocks are dropped, never runs.
    monitor->start();
    events->post(SystemEvent::didWake);
    monitor.reset();
    time->advanceBy(2s);
    EXPECT_EQ(tasks->runPending(), 0U);
    monitor = WakeMonitor::create(events, tasks, time, log,
                                  [this](const std::stop_token&) { callbacks.emplace_back(); });
    monitor->start();
    events->post(SystemEvent::didWake);
    time->stopMainQueue();
    time->advanceBy(2s);
    EXPECT_EQ(tasks->runPending(), 0U);
    EXPECT_TRUE(callbacks.empty());
}

TEST_F(WakeMonitorTest, ABurstOfWakesMakesOneRunAfterOneSecondAndNoWorkerWaits) {
    monitor->start();
    for (int wake = 0; wake < 200; ++wake) {
        events->post(wake % 2 == 0 ? SystemEvent::didWake : SystemEvent::screensDidWake);
    }
    EXPECT_EQ(tasks->pendingCount(), 0U);  // the pause holds no worker
    time->advanceBy(999ms);
    EXPECT_EQ(tasks->pendingCount(), 0U);
    time->advanceBy(1ms);
    // A wake while the run of the one before is under way is a wake of its own.
    events->post(SystemEvent::didWake);
    EXPECT_EQ(tasks->runPending(), 1U);
    EXPECT_THAT(callbacks, ElementsAre(1s));
    EXPECT_EQ(log->lines().size(), 202U);  // started, and every wake logged
    time->advanceBy(1s);
    tasks->runPending();
    EXPECT_THAT(callbacks, ElementsAre(1s, 2s));
}

}  // namespace
}  // namespace tonvera::testing
