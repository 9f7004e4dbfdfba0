#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "platform/main_queue.h"

namespace tonvera::testing {

// Virtual time for tests: a clock whose sleepers and a main queue whose delayed blocks are
// released only when the test advances time, in deadline order. Nothing here waits for real
// time; threads blocked in sleepFor wake when time is advanced past their deadline or their
// stop token is stopped.
class VirtualTime final : public Clock, public MainQueue {
  public:
    TimePoint now() const override;
    bool sleepFor(Duration duration, std::stop_token stop) override;

    void post(Block block) override;
    void postAfter(std::chrono::nanoseconds delay, Block block) override;

    // When on, a sleep moves time forward to its own deadline at once instead of blocking:
    // the simplest mode for a test with a single thread of work.
    void setAutoAdvance(bool on);

    // Moves time forward by `step`, running due main-queue blocks on the calling thread and
    // releasing sleepers, each at its own deadline and in deadline order.
    void advanceBy(Duration step);

    // Blocks the test until at least `count` threads are asleep in sleepFor.
    void waitForSleepers(std::size_t count);

    // Stops the main queue as the application does at quit: blocks already posted and blocks
    // posted later are dropped without running.
    void stopMainQueue();

    // Every duration passed to sleepFor, in call order.
    std::vector<Duration> requestedSleeps() const;

    // Time elapsed since this object was created.
    Duration elapsed() const;

  private:
    bool runNextDueBlock(std::unique_lock<std::mutex>& lock);

    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    TimePoint now_{};
    bool autoAdvance_ = false;
    std::size_t sleepers_ = 0;
    std::vector<Duration> requestedSleeps_;
    std::multimap<std::pair<TimePoint, std::uint64_t>, Block> timers_;
    std::multimap<TimePoint, std::uint64_t> sleeperDeadlines_;
    std::uint64_t sequence_ = 0;
    bool mainQueueStopped_ = false;
};

}  // namespace tonvera::testing
