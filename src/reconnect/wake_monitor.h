#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/logger.h"
#include "platform/main_queue.h"
#include "platform/system_events.h"
#include "platform/task_runner.h"

namespace tonvera {

// Turns wake notifications into reconnect requests: each wake (of the machine or of the
// screens) is logged and, a second later, the owner's callback runs on a background task.
// At most one wake is pending: wakes that come while one waits its second or its callback
// runs join it, so a burst of signals costs one run and never ties up the pool. The pause
// waits on the main queue, not on a worker; a wake still waiting at quit is dropped with the
// main queue's blocks. The callback holds its own owner weakly.
class WakeMonitor : public std::enable_shared_from_this<WakeMonitor> {
  public:
    // Runs on a background task and may block; the token is stopped at shutdown.
    using Callback = std::function<void(const std::stop_token&)>;

    static constexpr std::chrono::seconds kWakeDelay{1};

    static std::shared_ptr<WakeMonitor> create(std::shared_ptr<SystemEvents> events,
                                               std::shared_ptr<TaskRunner> tasks,
                                               std::shared_ptr<MainQueue> mainQueue,
                                               std::shared_ptr<LogSink> logSink,
                                               Callback onReconnectNeeded);
    ~WakeMonitor();

    WakeMonitor(const WakeMonitor&) = delete;
    WakeMonitor& operator=(const WakeMonitor&) = delete;

    // Subscribes to the three events and logs that it did.
    void start();

    // Ends every subscription. Harmless before start and when called again.
    void stop();

  private:
    WakeMonitor(std::shared_ptr<SystemEvents> events, std::shared_ptr<TaskRunner> tasks,
                std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<LogSink> logSink,
                Callback onReconnectNeeded);

    void handleWake(std::string_view source);
    void runCallback();

    Logger logger_;
    std::shared_ptr<SystemEvents> events_;
    std::shared_ptr<TaskRunner> tasks_;
    std::shared_ptr<MainQueue> mainQueue_;
    Callback onReconnectNeeded_;
    std::mutex mutex_;
    std::vector<SystemEventToken> observers_;
    // Main thread only: a wake waits its pause (its notifications count once).
    bool wakePending_ = false;
};

}  // namespace tonvera
