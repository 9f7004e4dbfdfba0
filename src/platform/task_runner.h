#pragma once

#include <functional>
#include <stop_token>

namespace tonvera {

// A small, bounded pool for blocking work that must stay off the main thread.
class TaskRunner {
  public:
    using Task = std::function<void(std::stop_token)>;

    virtual ~TaskRunner() = default;

    // Queues `task`; it receives a token that is stopped at shutdown. Returns false (and drops
    // the task) once the runner is shutting down.
    virtual bool submit(Task task) = 0;
};

}  // namespace tonvera
