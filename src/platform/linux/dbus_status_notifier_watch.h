#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/linux/wake_up_fd.h"
#include "platform/main_queue.h"
#include "platform/status_notifier_host.h"

namespace tonvera {

// Follows the session bus's StatusNotifierWatcher (org.kde.StatusNotifierWatcher) from a
// thread of its own: asks whether a host is registered, and asks again whenever the watcher's
// name changes owner (a panel starting, quitting or restarting) or a host registers. Every
// question is asynchronous and bounded, so a bus or watcher that never answers holds nothing
// up; such silence is reported as such. Each change is handed to `onChange` on the main queue.
class DBusStatusNotifierWatch {
  public:
    // `address` is a D-Bus address, or nothing for the session's bus. Connects without waiting
    // for an answer and returns at once.
    DBusStatusNotifierWatch(std::shared_ptr<MainQueue> mainQueue,
                            std::function<void(StatusNotifierHost)> onChange,
                            const std::optional<std::string>& address = std::nullopt);
    ~DBusStatusNotifierWatch();

    DBusStatusNotifierWatch(const DBusStatusNotifierWatch&) = delete;
    DBusStatusNotifierWatch& operator=(const DBusStatusNotifierWatch&) = delete;

    // Waits at most `limit` for the bus's first answer; false when the bus accepted the
    // connection and stayed silent. A bus that cannot be reached at all counts as answered:
    // nothing can hang on it.
    bool busAnswers(std::chrono::milliseconds limit) const;

    struct Shared;
    class Loop;

  private:
    std::shared_ptr<Shared> shared_;
    WakeUpFd stopWakeUp_;  // before the thread, so destruction can always cut its wait short
    std::jthread thread_;
};

}  // namespace tonvera
