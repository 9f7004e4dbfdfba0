#include "reconnect/wake_monitor.h"

#include <string>
#include <utility>

namespace tonvera {

std::shared_ptr<WakeMonitor> WakeMonitor::create(std::shared_ptr<SystemEvents> events,
                                                 std::shared_ptr<TaskRunner> tasks,
                                                 std::shared_ptr<MainQueue> mainQueue,
                                                 std::shared_ptr<LogSink> logSink,
                                                 Callback onReconnectNeeded) {
    return std::shared_ptr<WakeMonitor>(new WakeMonitor(std::move(events), std::move(tasks),
                                                        std::move(mainQueue), std::move(logSink),
                                                        std::move(onReconnectNeeded)));
}

WakeMonitor::WakeMonitor(std::shared_ptr<SystemEvents> events, std::shared_ptr<TaskRunner> tasks,
                         std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<LogSink> logSink,
                         Callback onReconnectNeeded)
    : logger_(makeAirPlayLogger(std::move(logSink))),
      events_(std::move(events)),
      tasks_(std::move(tasks)),
      mainQueue_(std::move(mainQueue)),
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
    if (std::exchange(wakePending_, true)) {
        return;
    }
    mainQueue_->postAfter(kWakeDelay, [weak = weak_from_this()] {
        if (const auto monitor = weak.lock()) {
            monitor->runCallback();
        }
    });
}

void WakeMonitor::runCallback() {
    // The notifications of one wake are one wake; the next wake is another, even while the
    // callback of this one still runs.
    wakePending_ = false;
    // The task holds what it uses, not the monitor: the owner alone decides how long the
    // monitor lives, and its last reference never goes away on a worker of the pool.
    tasks_->submit(
        [callback = onReconnectNeeded_](const std::stop_token& stop) { callback(stop); });
}

}  // namespace tonvera
