#include "reconnect/wake_monitor.h"

#include <condition_variable>
#include <set>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/thread_pool_task_runner.h"
#include "platform/testing/manual_system_events.h"
#include "platform/testing/memory_log_sink.h"
#include "platform/testing/trust_switch.h"
#include "platform/testing/virtual_time.h"
#include "reconnect/reconnect_orchestrator.h"
#include "support/scripted_selector.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

// Records each callback with its virtual time and thread, and lets the test wait for them.
class CallbackRecorder {
  public:
    explicit CallbackRecorder(std::shared_ptr<VirtualTime> time) : time_(std::move(time)) {}

    void record() {
        std::lock_guard lock(mutex_);
        times_.push_back(time_->elapsed());
        threads_.insert(std::this_thread::get_id());
        changed_.notify_all();
    }
    void waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return times_.size() >= count; });
    }
    std::vector<Clock::Duration> times() {
        std::lock_guard lock(mutex_);
        return times_;
    }
    std::size_t threadCount() {
        std::lock_guard lock(mutex_);
        return threads_.size();
    }

  private:
    std::shared_ptr<VirtualTime> time_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Clock::Duration> times_;
    std::set<std::thread::id> threads_;
};

struct WakeMonitorTest : ::testing::Test {
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>();
    std::shared_ptr<ManualSystemEvents> events = std::make_shared<ManualSystemEvents>();
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    std::shared_ptr<ThreadPoolTaskRunner> tasks = std::make_shared<ThreadPoolTaskRunner>(2, log);
    CallbackRecorder callbacks{time};
    std::shared_ptr<WakeMonitor> monitor = WakeMonitor::create(
        events, tasks, time, log, [this](const std::stop_token&) { callbacks.record(); });

    ~WakeMonitorTest() override { tasks->shutdown(); }
};

TEST_F(WakeMonitorTest, EachWakeNotificationLeadsToItsOwnCallbackASecondLater) {
    monitor->start();
    events->post(SystemEvent::didWake);
    events->post(SystemEvent::screensDidWake);
    time->waitForSleepers(2);
    EXPECT_TRUE(callbacks.times().empty());

    time->advanceBy(1s);
    callbacks.waitFor(2);
    EXPECT_THAT(callbacks.times(), ElementsAre(1s, 1s));
    EXPECT_THAT(
        log->lines(),
        ElementsAre("info: [AirPlay] WakeMonitor started — observing didWake / screensDidWake",
                    "info: [AirPlay] Wake detected (didWake)",
                    "info: [AirPlay] Wake detected (screensDidWake)"));
}

TEST_F(WakeMonitorTest, SleepIsOnlyLoggedAndStopEndsEverything) {
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
    events->post(SystemEvent::screensDidSleep);
    time->advanceBy(5s);
    tasks->shutdown();
    EXPECT_TRUE(log->lines().empty());
    EXPECT_TRUE(callbacks.times().empty());
}

TEST_F(WakeMonitorTest, AWakeInFlightOutlivesTheOwnersReference) {
    monitor->start();
    events->post(SystemEvent::didWake);
    time->waitForSleepers(1);
    monitor.reset();  // the task holds it now
    time->advanceBy(1s);
    callbacks.waitFor(1);
    tasks->shutdown();  // the callback has returned; the monitor is gone with the task
    EXPECT_EQ(events->subscriptionCount(), 0U);
}

TEST_F(WakeMonitorTest, ABurstOfWakesRunsOnTheBoundedPool) {
    monitor->start();
    for (int i = 0; i < 50; ++i) {
        events->post(i % 2 == 0 ? SystemEvent::didWake : SystemEvent::screensDidWake);
    }
    // Two workers: two sleep at a time; each second of virtual time lets the next two through.
    for (int round = 0; round < 25; ++round) {
        time->waitForSleepers(2);
        time->advanceBy(1s);
    }
    callbacks.waitFor(50);
    EXPECT_LE(callbacks.threadCount(), 2U);
}

TEST_F(WakeMonitorTest, TwoWakesTogetherMakeOneRunAndARefusalOrTwoShortRuns) {
    auto native = std::make_shared<ScriptedSelector>(time);
    native->thenSucceed();
    ReconnectOrchestrator orchestrator(native, native, std::make_shared<TrustSwitch>(), time, log);
    auto reconnecting =
        WakeMonitor::create(events, tasks, time, log, [&](const std::stop_token& stop) {
            orchestrator.reconnect("Wohnzimmer", stop);
            callbacks.record();
        });
    reconnecting->start();
    events->post(SystemEvent::didWake);
    events->post(SystemEvent::screensDidWake);
    time->waitForSleepers(2);
    time->advanceBy(1s);
    callbacks.waitFor(2);

    const auto lines = log->lines();
    const auto count = [&](const std::string& line) {
        return std::count(lines.begin(), lines.end(), line);
    };
    const auto runs = count("info: [AirPlay] Reconnect requested for Wohnzimmer with 4 attempts");
    const auto refusals =
        count("info: [AirPlay] Reconnect already in progress — skipping duplicate request");
    EXPECT_GE(runs, 1);
    EXPECT_EQ(runs + refusals, 2);
    EXPECT_EQ(count("info: [AirPlay] Successfully selected Wohnzimmer on attempt 1 (native)"),
              runs);
}

}  // namespace
}  // namespace tonvera::testing
