#include "reconnect/wake_monitor.h"

#include <algorithm>
#include <condition_variable>
#include <string>

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

// Records each callback with its virtual time and whether its token was stopped.
class CallbackRecorder {
  public:
    explicit CallbackRecorder(std::shared_ptr<VirtualTime> time) : time_(std::move(time)) {}

    void record(const std::stop_token& stop) {
        std::lock_guard lock(mutex_);
        times_.push_back(time_->elapsed());
        stopped_ += stop.stop_requested() ? 1 : 0;
        changed_.notify_all();
    }
    // A safety net only: a fault that loses a callback fails here instead of hanging.
    [[nodiscard]] bool waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return times_.size() >= count; });
    }
    std::vector<Clock::Duration> times() {
        std::lock_guard lock(mutex_);
        return times_;
    }
    int stopped() {
        std::lock_guard lock(mutex_);
        return stopped_;
    }

  private:
    std::shared_ptr<VirtualTime> time_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Clock::Duration> times_;
    int stopped_ = 0;
};

struct WakeMonitorTest : ::testing::Test {
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>();
    std::shared_ptr<ManualSystemEvents> events = std::make_shared<ManualSystemEvents>();
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    std::shared_ptr<ThreadPoolTaskRunner> tasks = std::make_shared<ThreadPoolTaskRunner>(2, log);
    std::shared_ptr<CallbackRecorder> callbacks = std::make_shared<CallbackRecorder>(time);
    std::shared_ptr<WakeMonitor> monitor = WakeMonitor::create(
        events, tasks, time, log,
        [callbacks = callbacks](const std::stop_token& stop) { callbacks->record(stop); });

    ~WakeMonitorTest() override {
        if (tasks) {
            tasks->shutdown();
        }
    }
};

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
    EXPECT_TRUE(callbacks->times().empty());
}

TEST_F(WakeMonitorTest, TwoWakesTogetherMakeOneRunAndOneRefusal) {
    auto native = std::make_shared<ScriptedSelector>(time);
    // The run stays under way until the test lets virtual time move on.
    native->then([this](const std::string&, std::stop_token stop) {
        static_cast<void>(time->sleepFor(500ms, std::move(stop)));
    });
    ReconnectOrchestrator orchestrator(native, native, std::make_shared<TrustSwitch>(), time, log);
    auto reconnecting = WakeMonitor::create(
        events, tasks, time, log, [&, callbacks = callbacks](const std::stop_token& stop) {
            orchestrator.reconnect("Wohnzimmer", stop);
            callbacks->record(stop);
        });
    reconnecting->start();
    // Each wake has a task of its own that calls back a second later.
    events->post(SystemEvent::didWake);
    events->post(SystemEvent::screensDidWake);
    time->waitForSleepers(2);
    time->advanceBy(999ms);
    EXPECT_TRUE(callbacks->times().empty());
    time->advanceBy(1ms);
    ASSERT_TRUE(callbacks->waitFor(1));  // the refused one; the other waits in its selector
    time->waitForSleepers(1);
    time->advanceBy(500ms);
    ASSERT_TRUE(callbacks->waitFor(2));
    EXPECT_THAT(callbacks->times(), ElementsAre(1s, 1500ms));

    const auto lines = log->lines();
    const auto count = [&](const std::string& line) {
        return std::count(lines.begin(), lines.end(), line);
    };
    EXPECT_EQ(count("info: [AirPlay] Reconnect requested for Wohnzimmer with 4 attempts"), 1);
    EXPECT_EQ(count("info: [AirPlay] Reconnect already in progress — skipping duplicate request"),
              1);
    EXPECT_EQ(count("info: [AirPlay] Successfully selected Wohnzimmer on attempt 1 (native)"), 1);
}

// The composition root's pieces, taken down as the application does at quit.
TEST_F(WakeMonitorTest, QuittingInTheDocumentedOrderCutsAWakePauseShort) {
    monitor->start();
    events->post(SystemEvent::didWake);
    time->waitForSleepers(1);
    monitor->stop();
    tasks->shutdown();
    // The callback ran at once, with the stopped token, before shutdown returned.
    EXPECT_THAT(callbacks->times(), ElementsAre(0s));
    EXPECT_EQ(callbacks->stopped(), 1);
    monitor.reset();
    tasks.reset();
    events.reset();
    time.reset();
}

TEST_F(WakeMonitorTest, DroppingEveryReferenceWithAWakeUnderWayDoesNotAbort) {
    monitor->start();
    events->post(SystemEvent::didWake);
    time->waitForSleepers(1);
    monitor.reset();  // the owner decides: the subscriptions end now
    EXPECT_EQ(events->subscriptionCount(), 0U);
    tasks.reset();  // without a shutdown first
    time->advanceBy(1s);
    ASSERT_TRUE(callbacks->waitFor(1));  // the wake under way still runs its callback
    events.reset();
    time.reset();
}

}  // namespace
}  // namespace tonvera::testing
