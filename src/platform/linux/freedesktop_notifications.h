#pragma once

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/linux/wake_up_fd.h"
#include "platform/logger.h"
#include "platform/main_queue.h"
#include "platform/notifications.h"

namespace tonvera {

// Notifications through the desktop's notification service (org.freedesktop.Notifications on
// the session bus). One thread of its own owns the bus connection: it asks the service once
// whether it shows actions, sends each notification without waiting for the answer, and hands
// a picked action to the main queue. Every call is bounded in time. Where no service or no
// bus answers, nothing shows and the log says so once, again only after a service answered in
// between.
class FreedesktopNotifications final : public Notifications {
  public:
    // How long the service may take to answer one call.
    static constexpr std::chrono::seconds kCallTimeout{5};

    // `sessionBusAddress` is a D-Bus address, or nothing for the session's usual bus. Returns
    // at once; the bus is connected on the thread.
    FreedesktopNotifications(std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<LogSink> logSink,
                             std::optional<std::string> sessionBusAddress = std::nullopt);
    ~FreedesktopNotifications() override;

    FreedesktopNotifications(const FreedesktopNotifications&) = delete;
    FreedesktopNotifications& operator=(const FreedesktopNotifications&) = delete;

    void show(const Notification& notification, Action onAction) override;

    struct Shared;
    class Worker;

  private:
    std::shared_ptr<Shared> shared_;
    WakeUpFd stopWakeUp_;  // before the thread, so destruction can always cut its wait short
    std::jthread worker_;
};

}  // namespace tonvera
