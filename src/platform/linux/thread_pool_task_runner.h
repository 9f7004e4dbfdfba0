#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <stop_token>
#include <thread>
#include <vector>

#include "platform/logger.h"
#include "platform/task_runner.h"

namespace tonvera {

// A fixed number of worker threads. Shutdown stops every running task's token, drops the
// tasks that have not started and waits for the workers, at most `joinBound`:
// - it never joins the thread it runs on. When the last reference to the pool goes away inside
//   one of its own tasks, that worker is detached instead and ends by itself once the task
//   has returned;
// - a worker whose task ignores its token past the bound is detached and logged, so quitting
//   is never held up by one stuck call.
// Detached workers keep the pool's shared state alive until they end, never the pool object.
class ThreadPoolTaskRunner final : public TaskRunner {
  public:
    // Longer than the launcher's grace for a child that ignores SIGTERM, so a stopped script
    // selector still ends in time.
    static constexpr std::chrono::milliseconds kDefaultJoinBound{3000};

    // A task that throws is logged through `sink` and does not take the process down.
    ThreadPoolTaskRunner(std::size_t threadCount, std::shared_ptr<LogSink> sink,
                         std::chrono::milliseconds joinBound = kDefaultJoinBound);
    ~ThreadPoolTaskRunner() override;

    ThreadPoolTaskRunner(const ThreadPoolTaskRunner&) = delete;
    ThreadPoolTaskRunner& operator=(const ThreadPoolTaskRunner&) = delete;

    bool submit(Task task, std::stop_token callerStop = {}) override;

    // Idempotent: the first call does the work, later ones return at once.
    void shutdown();

  private:
    struct State;

    std::shared_ptr<State> state_;
    std::vector<std::thread> workers_;
    std::chrono::milliseconds joinBound_;
};

}  // namespace tonvera
