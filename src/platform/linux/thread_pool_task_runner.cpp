#include "platform/linux/thread_pool_task_runner.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <utility>

namespace tonvera {

// What the workers share with the pool. A detached worker holds it after the pool is gone.
struct ThreadPoolTaskRunner::State {
    struct Pending {
        Task task;
        std::stop_token callerStop;
    };

    explicit State(std::shared_ptr<LogSink> sink, std::size_t workerCount)
        : logger(std::move(sink), std::string(kLogSubsystem), "Tasks"), ended(workerCount) {}

    Logger logger;
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::condition_variable workerEnded;
    std::deque<Pending> pending;
    std::stop_source stopSource;
    bool shuttingDown = false;
    std::vector<bool> ended;  // per worker, set as its last act

    void run(Pending& next) const {
        // The task's own token stops with the pool or with its caller, whichever comes first.
        std::stop_source taskStop;
        const auto forward = [&taskStop] { taskStop.request_stop(); };
        const std::stop_callback onPoolStop(stopSource.get_token(), forward);
        const std::stop_callback onCallerStop(next.callerStop, forward);
        try {
            next.task(taskStop.get_token());
        } catch (const std::exception& error) {
            logger.error("Background task failed: {}", error.what());
        } catch (...) {
            logger.error("Background task failed with an unknown exception");
        }
    }

    static void work(const std::shared_ptr<State>& state, std::size_t index) {
        for (;;) {
            Pending next;
            {
                std::unique_lock lock(state->mutex);
                // The stop request wakes every idle worker, with no notification to forget.
                state->wakeUp.wait(lock, state->stopSource.get_token(),
                                   [&] { return !state->pending.empty(); });
                if (state->shuttingDown) {
                    state->ended[index] = true;
                    state->workerEnded.notify_all();
                    return;
                }
                next = std::move(state->pending.front());
                state->pending.pop_front();
            }
            state->run(next);
            // `next` goes here, outside the lock: its captures may hold the last reference to
            // anything, the pool included.
        }
    }
};

ThreadPoolTaskRunner::ThreadPoolTaskRunner(std::size_t threadCount, std::shared_ptr<LogSink> sink,
                                           std::chrono::milliseconds joinBound)
    : state_(std::make_shared<State>(std::move(sink), std::max<std::size_t>(threadCount, 1))),
      joinBound_(joinBound) {
    const std::size_t count = state_->ended.size();
    workers_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        workers_.emplace_back([state = state_, i] { State::work(state, i); });
    }
}

ThreadPoolTaskRunner::~ThreadPoolTaskRunner() {
    shutdown();
}

bool ThreadPoolTaskRunner::submit(Task task, std::stop_token callerStop) {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->shuttingDown) {
            return false;
        }
        state_->pending.push_back(State::Pending{std::move(task), std::move(callerStop)});
    }
    state_->wakeUp.notify_one();
    return true;
}

void ThreadPoolTaskRunner::shutdown() {
    std::deque<State::Pending> dropped;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->shuttingDown) {
            return;
        }
        state_->shuttingDown = true;
        dropped.swap(state_->pending);
    }
    dropped.clear();  // outside the lock, for the same reason as in work()
    state_->stopSource.request_stop();

    // Called from a task of this pool, the calling worker cannot end before this returns.
    const auto self = std::find_if(workers_.begin(), workers_.end(), [](const std::thread& t) {
        return t.get_id() == std::this_thread::get_id();
    });
    const auto selfIndex = static_cast<std::size_t>(self - workers_.begin());
    std::vector<bool> ended;
    {
        std::unique_lock lock(state_->mutex);
        const auto othersEnded = [&] {
            for (std::size_t i = 0; i < state_->ended.size(); ++i) {
                if (i != selfIndex && !state_->ended[i]) {
                    return false;
                }
            }
            return true;
        };
        state_->workerEnded.wait_for(lock, joinBound_, othersEnded);
        ended = state_->ended;
    }
    std::size_t stuck = 0;
    for (std::size_t i = 0; i < workers_.size(); ++i) {
        if (i != selfIndex && ended[i]) {
            workers_[i].join();
        } else {
            stuck += i == selfIndex ? 0 : 1;
            workers_[i].detach();
        }
    }
    if (stuck > 0) {
        state_->logger.error("{} background task(s) did not stop within {} ms; left running", stuck,
                             joinBound_.count());
    }
}

}  // namespace tonvera
