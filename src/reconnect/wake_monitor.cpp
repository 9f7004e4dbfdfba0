#include "reconnect/wake_monitor.h"

#include <string>
#include <utility>

namespace tonvera {

std::shared_ptr<WakeMonitor> WakeMonitor::create(std::shared_ptr<SystemEvents> events,
                                                 std::shared_ptr<TaskRunner> tasks,
                                                 std::shared_ptr<Clock> clock,
                                                 std::shared_ptr<LogSink> logSink,
                                                 Callback onReconnectNeeded) {
    return std::shared_ptr<WakeMonitor>(new WakeMonitor(std::move(events), std::move(tasks),
                                                        std::move(clock), std::move(logSink),
                                                        std::move(onReconnectNeeded)));
}

WakeMonitor::WakeMonitor(std::shared_ptr<SystemEvents> events, std::shared_ptr<TaskRunner> tasks,
                         std::shared_ptr<Clock> clock, std::shared_ptr<LogSink> logSink,
                         Callback onReconnectNeeded)
    : logger_(makeAirPlayLogger(std::move(logSink))),
      events_(std::move(events)),
      tasks_(std::move(tasks)),
      clock_(std::move(clock)),
      onReconnectNeeded_(std::move(onReconnectNeeded)) {}

WakeMonitor::~WakeMonitor() {
    stop();
}

void WakeMonitor::start() {
    // The handlers hold the monitor weakly: a notification after it is gone does nothing.
    const std::weak_ptr<WakeMonitor> weak = weak_from_this();
    const auto wakeHandler = [weak](const char* source) {
        return [weak, source] {
            if (const auto monitor = weak.lock()) {
                monitor->handleWake(source);
            }
        };
    };
    std::vector<SystemEventToken> tokens;
    tokens.push_back(
        events_->subscribe(SystemEvent::screensDidWake, wakeHandler("screensDidWake")));
    tokens.push_back(events_->subscribe(SystemEvent::didWake, wakeHandler("didWake")));
    tokens.push_back(events_->subscribe(SystemEvent::screensDidSleep, [weak] {
        if (const auto monitor = weak.lock()) {
            monitor->logger_.info("[AirPlay] Sleep detected");
        }
    }));
    {
        std::lock_guard lock(mutex_);
        observers_.insert(observers_.end(), tokens.begin(), tokens.end());
    }
    logger_.info("[AirPlay] WakeMonitor started — observing didWake / screensDidWake");
}

void WakeMonitor::stop() {
    std::vector<SystemEventToken> tokens;
    {
        std::lock_guard lock(mutex_);
        tokens.swap(observers_);
    }
    for (const auto token : tokens) {
        events_->unsubscribe(token);
    }
}

void WakeMonitor::handleWake(std::string_view source) {
    logger_.info("[AirPlay] Wake detected ({})", source);
    // The task holds what it uses, not the monitor: the owner alone decides how long the
    // monitor lives, and its last reference never goes away on a worker of the pool.
    tasks_->submit([clock = clock_, callback = onReconnectNeeded_](const std::stop_token& stop) {
        // Cut short at shutdown, the pause simply ends and the callback follows at once with
        // the stopped token.
        static_cast<void>(clock->sleepFor(kWakeDelay, stop));
        callback(stop);
    });
}

}  // namespace tonvera
