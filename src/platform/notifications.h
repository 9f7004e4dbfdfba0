#pragma once

#include <functional>
#include <optional>
#include <string>

namespace tonvera {

// A desktop notification: a title, a line or two, and at most one action.
struct Notification {
    std::string title;
    std::string body;
    std::optional<std::string> actionLabel;  // shown only where the service offers actions
};

// The desktop's notification service.
class Notifications {
  public:
    using Action = std::function<void()>;

    virtual ~Notifications() = default;

    // Shows `notification` without blocking the caller; `onAction` runs on the main thread
    // when the person picks the action. Where no notification service runs nothing shows, and
    // the implementation says so once in the log rather than at every call. Main thread only.
    virtual void show(const Notification& notification, Action onAction) = 0;
};

}  // namespace tonvera
