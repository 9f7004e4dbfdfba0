#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/main_queue.h"

namespace tonvera::testing {

// A main queue whose blocks run when the test thread asks for them: the test thread plays the
// main thread. For integration tests, where events come from real outside components.
class BlockingMainQueue final : public MainQueue {
  public:
    void post(Block block) override {
        {
            std::lock_guard lock(mutex_);
            blocks_.push_back(std::move(block));
        }
        changed_.notify_all();
    }

    void postAfter(std::chrono::nanoseconds, Block block) override { post(std::move(block)); }

    // Runs the next block, waiting for it up to `limit`; false when none came.
    bool runNext(std::chrono::milliseconds limit) {
        Block block;
        {
            std::unique_lock lock(mutex_);
            if (!changed_.wait_for(lock, limit, [&] { return !blocks_.empty(); })) {
                return false;
            }
            block = std::move(blocks_.front());
            blocks_.pop_front();
        }
        block();
        return true;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block> blocks_;
};

}  // namespace tonvera::testing
