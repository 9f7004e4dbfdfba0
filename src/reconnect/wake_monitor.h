#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/logger.h"
#include "platform/system_events.h"
#include "platform/task_runner.h"

namespace tonvera {

// Turns wake notifications into reconnect requests: each wake (of the machine or of the
// screens) is logged and, a second later, the owner's callback runs on a background task.
// There is no debouncing; the orchestrator refuses overlapping runs. A wake already under way
// runs its callback even when the monitor is gone by then (at shutdown, at once, with the
// stopped token); the callback holds its own owner weakly.
class WakeMonitor : public std::enable_shared_from_this<WakeMonitor> {
  public:
    // Runs on a background task and may block; the token is stopped at shutdown.
    using Callback = std::function<void(const std::stop_token&)>;

    static constexpr std::chrono::seconds kWakeDelay{1};

    static std::shared_ptr<WakeMonitor> create(std::shared_ptr<SystemEvents> events,
                                               std::shared_ptr<TaskRunner> tasks,
                                               std::shared_ptr<Clock> clock,
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
                std::shared_ptr<Clock> clock, std::shared_ptr<LogSink> logSink,
                Callback onReconnectNeeded);

    void handleWake(std::string_view source);

    Logger logger_;
    std::shared_ptr<SystemEvents> events_;
    std::shared_ptr<TaskRunner> tasks_;
    std::shared_ptr<Clock> clock_;
    Callback onReconnectNeeded_;
    std::mutex mutex_;
    std::vector<SystemEventToken> observers_;
};

}  // namespace tonvera
