#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/linux/wake_up_fd.h"
#include "platform/logger.h"
#include "platform/main_queue.h"
#include "platform/system_event_subscribers.h"
#include "platform/system_events.h"

namespace tonvera {

// System events from D-Bus: logind's PrepareForSleep(false) on the system bus is the machine
// waking (true, going to sleep, is no event); ActiveChanged of the GNOME and freedesktop
// screen savers on the session bus is the screens sleeping (true) or waking (false). Each
// counts only as a broadcast from the connection that owns the service's well-known name, at
// the service's object path, so another program on the bus cannot fake a wake. One
// thread of its own connects to both buses, installs its matches without waiting for the
// answers, and hands each event to the main queue. A bus that cannot be reached is logged
// once and left out; the other keeps working. A bus that accepts the connection but never
// answers delays neither construction nor destruction.
class DBusSystemEvents final : public SystemEvents {
  public:
    // Each address is a D-Bus address ("unix:path=…"), or nothing for the session's usual bus
    // of that kind. Returns at once; the buses are connected on the watcher thread.
    DBusSystemEvents(std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<LogSink> logSink,
                     std::optional<std::string> systemBusAddress = std::nullopt,
                     std::optional<std::string> sessionBusAddress = std::nullopt);
    ~DBusSystemEvents() override;

    DBusSystemEvents(const DBusSystemEvents&) = delete;
    DBusSystemEvents& operator=(const DBusSystemEvents&) = delete;

    SystemEventToken subscribe(SystemEvent event, std::function<void()> handler) override;
    void unsubscribe(SystemEventToken token) override;

    // Waits until each bus has its matches in place or is given up, at most `limit`; true when
    // so. Signals sent before then may be missed: the application does not care, tests do.
    bool waitUntilWatching(std::chrono::milliseconds limit) const;

    struct Progress;
    class Watcher;

  private:
    std::shared_ptr<SystemEventSubscribers> subscribers_;
    std::shared_ptr<Progress> progress_;
    WakeUpFd stopWakeUp_;  // before the thread, so destruction can always cut its wait short
    std::jthread watcher_;
};

}  // namespace tonvera
