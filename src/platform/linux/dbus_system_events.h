#pragma once

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/logger.h"
#include "platform/main_queue.h"
#include "platform/system_events.h"

namespace tonvera {

// System events from D-Bus: logind's PrepareForSleep(false) on the system bus is the machine
// waking; ActiveChanged of the GNOME and freedesktop screen savers on the session bus is the
// screens sleeping (true) or waking (false). One thread of its own waits on both buses and
// hands each event to the main queue. A bus that cannot be reached is logged once and left
// out; the other keeps working.
class DBusSystemEvents final : public SystemEvents {
  public:
    // Each address is a D-Bus address ("unix:path=…"), or nothing for the session's usual bus
    // of that kind. Returns once both buses are watched (or known to be missing).
    DBusSystemEvents(std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<LogSink> logSink,
                     std::optional<std::string> systemBusAddress = std::nullopt,
                     std::optional<std::string> sessionBusAddress = std::nullopt);
    ~DBusSystemEvents() override;

    DBusSystemEvents(const DBusSystemEvents&) = delete;
    DBusSystemEvents& operator=(const DBusSystemEvents&) = delete;

    SystemEventToken subscribe(SystemEvent event, std::function<void()> handler) override;
    void unsubscribe(SystemEventToken token) override;

    struct Subscribers;

  private:
    std::shared_ptr<Subscribers> subscribers_;
    std::jthread watcher_;
};

}  // namespace tonvera
