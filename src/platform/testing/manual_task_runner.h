#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <stop_token>

#include "platform/task_runner.h"

namespace tonvera::testing {

// Background work that runs when the test says so, on the test's thread: a test can look at
// the state while a task is still queued, then let it run (with a virtual clock that moves on
// by itself, its waits take no real time).
class ManualTaskRunner final : public TaskRunner {
  public:
    bool submit(Task task, std::stop_token callerStop = {}) override {
        std::lock_guard lock(mutex_);
        if (shutDown_) {
            return false;
        }
        pending_.push_back(Pending{std::move(task), std::move(callerStop)});
        return true;
    }

    // Runs queued tasks, also those they queue, until none is left; returns how many ran.
    std::size_t runPending() {
        std::size_t ran = 0;
        for (;;) {
            Pending next;
            {
                std::lock_guard lock(mutex_);
                if (pending_.empty()) {
                    return ran;
                }
                next = std::move(pending_.front());
                pending_.pop_front();
            }
            std::stop_source taskStop;
            const auto forward = [&taskStop] { taskStop.request_stop(); };
            const std::stop_callback onShutdown(stopSource_.get_token(), forward);
            const std::stop_callback onCaller(next.callerStop, forward);
            next.task(taskStop.get_token());
            ++ran;
        }
    }

    std::size_t pendingCount() const {
        std::lock_guard lock(mutex_);
        return pending_.size();
    }

    // Refuses new tasks, drops the queued ones and stops the tokens of running ones.
    void shutdown() {
        {
            std::lock_guard lock(mutex_);
            shutDown_ = true;
            pending_.clear();
        }
        stopSource_.request_stop();
    }

  private:
    struct Pending {
        Task task;
        std::stop_token callerStop;
    };

    mutable std::mutex mutex_;
    std::deque<Pending> pending_;
    std::stop_source stopSource_;
    bool shutDown_ = false;
};

}  // namespace tonvera::testing
