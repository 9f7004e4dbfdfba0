#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

#include "platform/logger.h"
#include "platform/task_runner.h"

namespace tonvera {

// A fixed number of worker threads. Shutdown stops every running task's token, drops the
// tasks that have not started and joins the workers, so no thread outlives its owner.
class ThreadPoolTaskRunner final : public TaskRunner {
  public:
    // A task that throws is logged through `sink` and does not take the process down.
    ThreadPoolTaskRunner(std::size_t threadCount, std::shared_ptr<LogSink> sink);
    ~ThreadPoolTaskRunner() override;

    ThreadPoolTaskRunner(const ThreadPoolTaskRunner&) = delete;
    ThreadPoolTaskRunner& operator=(const ThreadPoolTaskRunner&) = delete;

    bool submit(Task task, std::stop_token callerStop = {}) override;

    // Idempotent; returns once every worker has finished its current task.
    void shutdown();

  private:
    void work();
    struct Pending {
        Task task;
        std::stop_token callerStop;
    };

    void runGuarded(Pending& pending, const std::stop_token& poolStop) const;

    Logger logger_;

    std::mutex mutex_;
    std::condition_variable_any wakeUp_;
    std::deque<Pending> pending_;
    std::stop_source stopSource_;
    bool shuttingDown_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace tonvera
