#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <type_traits>
#include <utility>

#include "platform/main_queue.h"

namespace tonvera {

// A small, bounded pool for blocking work that must stay off the main thread.
class TaskRunner {
  public:
    using Task = std::function<void(std::stop_token)>;

    virtual ~TaskRunner() = default;

    // Queues `task`. Its token is stopped at shutdown and, when given, once `callerStop` is
    // stopped (a window's own stop source, say, for work that should end when it closes).
    // Returns false (and drops the task) once the runner is shutting down; a task still queued
    // at shutdown is dropped without running. Callable from any thread. A task holds weakly
    // whatever its owner decides the life of; see docs/design.md.
    virtual bool submit(Task task, std::stop_token callerStop = {}) = 0;
};

// What a background task produced: its value, or the exception it ended with.
template <typename Result>
class TaskOutcome {
  public:
    static TaskOutcome success(Result value) { return TaskOutcome(std::move(value), nullptr); }
    static TaskOutcome failure(std::exception_ptr error) { return TaskOutcome({}, error); }

    bool succeeded() const { return error_ == nullptr; }
    const Result& value() const { return *value_; }
    const std::exception_ptr& error() const { return error_; }

  private:
    TaskOutcome(std::optional<Result> value, std::exception_ptr error)
        : value_(std::move(value)), error_(std::move(error)) {}

    std::optional<Result> value_;
    std::exception_ptr error_;
};

// Runs `work` on `tasks` and hands its outcome (value or exception) to `completion` on the
// main thread, through `mainQueue`. A task that runs to its end always posts its completion,
// also when its token was stopped; the completion never runs when the task was dropped at
// shutdown or when the main queue has stopped. A completion that serves an object with a
// shorter life (a window) holds it weakly. Returns whether the task was queued.
template <typename Work, typename Completion>
bool submitWithCompletion(TaskRunner& tasks, std::shared_ptr<MainQueue> mainQueue, Work work,
                          Completion completion,
                          // NOLINTNEXTLINE(performance-unnecessary-value-param): as submit takes it
                          std::stop_token callerStop = {}) {
    using Result = std::invoke_result_t<Work&, std::stop_token>;
    static_assert(!std::is_void_v<Result>, "return a value (std::monostate for none)");
    return tasks.submit(
        [mainQueue = std::move(mainQueue), work = std::move(work),
         completion = std::move(completion)](std::stop_token stop) mutable {
            auto outcome = [&] {
                try {
                    return TaskOutcome<Result>::success(work(std::move(stop)));
                } catch (...) {
                    return TaskOutcome<Result>::failure(std::current_exception());
                }
            }();
            mainQueue->post(
                [completion = std::move(completion), outcome = std::move(outcome)]() mutable {
                    completion(std::move(outcome));
                });
        },
        std::move(callerStop));
}

}  // namespace tonvera
