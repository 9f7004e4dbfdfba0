#pragma once

#include <vector>

#include "platform/notifications.h"

namespace tonvera::testing {

// Keeps every notification shown, with its action, so a test can read them and pick one.
class RecordingNotifications final : public Notifications {
  public:
    struct Shown {
        Notification notification;
        Action onAction;
    };

    void show(const Notification& notification, Action onAction) override {
        shown_.push_back(Shown{notification, std::move(onAction)});
    }

    const std::vector<Shown>& shown() const { return shown_; }

  private:
    std::vector<Shown> shown_;
};

}  // namespace tonvera::testing
