#pragma once

#include <chrono>
#include <functional>

namespace tonvera {

// The user-interface thread's queue: blocks posted here run one at a time on that thread.
// Both operations may be called from any thread. Once the queue has stopped (the application
// is quitting), blocks already posted and blocks posted later are dropped without running.
class MainQueue {
  public:
    using Block = std::function<void()>;

    virtual ~MainQueue() = default;

    // Runs `block` on the main thread soon, after every block posted before it.
    virtual void post(Block block) = 0;

    // Runs `block` on the main thread once `delay` has passed.
    virtual void postAfter(std::chrono::nanoseconds delay, Block block) = 0;
};

}  // namespace tonvera
