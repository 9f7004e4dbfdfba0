#include "platform/linux/thread_pool_task_runner.h"

#include <algorithm>
#include <exception>
#include <string>
#include <utility>

namespace tonvera {

ThreadPoolTaskRunner::ThreadPoolTaskRunner(std::size_t threadCount, std::shared_ptr<LogSink> sink)
    : logger_(std::move(sink), std::string(kLogSubsystem), "Tasks") {
    const std::size_t count = std::max<std::size_t>(threadCount, 1);
    workers_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        workers_.emplace_back([this] { work(); });
    }
}

ThreadPoolTaskRunner::~ThreadPoolTaskRunner() {
    shutdown();
}

bool ThreadPoolTaskRunner::submit(Task task, std::stop_token callerStop) {
    {
        std::lock_guard lock(mutex_);
        if (shuttingDown_) {
            return false;
        }
        pending_.push_back(Pending{std::move(task), std::move(callerStop)});
    }
    wakeUp_.notify_one();
    return true;
}

void ThreadPoolTaskRunner::shutdown() {
    {
        std::lock_guard lock(mutex_);
        if (shuttingDown_) {
            return;
        }
        shuttingDown_ = true;
        pending_.clear();
    }
    stopSource_.request_stop();
    wakeUp_.notify_all();
    for (auto& worker : workers_) {
        if (worker.joinable()) {
            worker.join();
        }
    }
}

void ThreadPoolTaskRunner::work() {
    const std::stop_token stop = stopSource_.get_token();
    for (;;) {
        Pending next;
        {
            std::unique_lock lock(mutex_);
            wakeUp_.wait(lock, [this] { return shuttingDown_ || !pending_.empty(); });
            if (shuttingDown_) {
                return;
            }
            next = std::move(pending_.front());
            pending_.pop_front();
        }
        runGuarded(next, stop);
    }
}

void ThreadPoolTaskRunner::runGuarded(Pending& pending, const std::stop_token& poolStop) const {
    // The task's own token stops with the pool or with its caller, whichever comes first.
    std::stop_source taskStop;
    const auto forward = [&taskStop] { taskStop.request_stop(); };
    const std::stop_callback onPoolStop(poolStop, forward);
    const std::stop_callback onCallerStop(pending.callerStop, forward);
    try {
        pending.task(taskStop.get_token());
    } catch (const std::exception& error) {
        logger_.error("Background task failed: {}", error.what());
    } catch (...) {
        logger_.error("Background task failed with an unknown exception");
    }
}

}  // namespace tonvera
