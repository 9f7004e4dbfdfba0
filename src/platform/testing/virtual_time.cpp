#include "platform/testing/virtual_time.h"

#include <algorithm>
#include <utility>

namespace tonvera::testing {

Clock::TimePoint VirtualTime::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

Clock::Duration VirtualTime::elapsed() const {
    return now().time_since_epoch();
}

bool VirtualTime::sleepFor(Duration duration, std::stop_token stop) {
    std::unique_lock lock(mutex_);
    requestedSleeps_.push_back(duration);
    const TimePoint deadline = now_ + std::max(duration, Duration::zero());
    if (stop.stop_requested()) {
        return false;  // cut short before it began: no time passes
    }
    if (autoAdvance_) {
        now_ = std::max(now_, deadline);
        changed_.notify_all();
        return !stop.stop_requested();
    }
    const auto ticket = sleeperDeadlines_.emplace(deadline, sequence_++);
    ++sleepers_;
    changed_.notify_all();
    const bool reached = changed_.wait(lock, stop, [&] { return now_ >= deadline; });
    --sleepers_;
    sleeperDeadlines_.erase(ticket);
    changed_.notify_all();
    return reached;
}

void VirtualTime::post(Block block) {
    postAfter(Duration::zero(), std::move(block));
}

void VirtualTime::postAfter(std::chrono::nanoseconds delay, Block block) {
    std::lock_guard lock(mutex_);
    if (mainQueueStopped_) {
        return;
    }
    timers_.emplace(std::pair{now_ + std::max(delay, Duration::zero()), sequence_++},
                    std::move(block));
}

void VirtualTime::stopMainQueue() {
    decltype(timers_) dropped;
    {
        std::lock_guard lock(mutex_);
        mainQueueStopped_ = true;
        dropped.swap(timers_);
    }
}

void VirtualTime::setAutoAdvance(bool on) {
    std::lock_guard lock(mutex_);
    autoAdvance_ = on;
    if (on && !sleeperDeadlines_.empty()) {
        now_ = std::max(now_, sleeperDeadlines_.rbegin()->first);
        changed_.notify_all();
    }
}

void VirtualTime::advanceBy(Duration step) {
    std::unique_lock lock(mutex_);
    const TimePoint target = now_ + std::max(step, Duration::zero());
    const auto sleeperDue = [&] {
        return !sleeperDeadlines_.empty() && sleeperDeadlines_.begin()->first <= now_;
    };
    for (;;) {
        while (runNextDueBlock(lock)) {
        }
        // Sleepers that are due leave before time moves on, so each one wakes at its own
        // deadline and sees what it would see in real time.
        changed_.wait(lock, [&] { return !sleeperDue(); });
        if (!timers_.empty() && timers_.begin()->first.first <= now_) {
            continue;
        }
        if (now_ >= target) {
            return;
        }
        TimePoint next = target;
        if (!timers_.empty()) {
            next = std::min(next, timers_.begin()->first.first);
        }
        if (!sleeperDeadlines_.empty()) {
            next = std::min(next, sleeperDeadlines_.begin()->first);
        }
        now_ = next;
        changed_.notify_all();
    }
}

bool VirtualTime::runNextDueBlock(std::unique_lock<std::mutex>& lock) {
    if (timers_.empty() || timers_.begin()->first.first > now_) {
        return false;
    }
    Block block = std::move(timers_.begin()->second);
    timers_.erase(timers_.begin());
    lock.unlock();
    block();
    lock.lock();
    return true;
}

void VirtualTime::waitForSleepers(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return sleepers_ >= count; });
}

std::vector<Clock::Duration> VirtualTime::requestedSleeps() const {
    std::lock_guard lock(mutex_);
    return requestedSleeps_;
}

}  // namespace tonvera::testing
