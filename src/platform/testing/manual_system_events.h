#pragma once

#include "platform/system_event_subscribers.h"
#include "platform/system_events.h"

namespace tonvera::testing {

// System events that happen when the test says so; handlers run on the posting thread.
class ManualSystemEvents final : public SystemEvents {
  public:
    SystemEventToken subscribe(SystemEvent event, std::function<void()> handler) override {
        return subscribers_.subscribe(event, std::move(handler));
    }
    void unsubscribe(SystemEventToken token) override { subscribers_.unsubscribe(token); }

    // Runs every current handler of `event`, in subscription order.
    void post(SystemEvent event) { subscribers_.deliver(event); }

    std::size_t subscriptionCount() const { return subscribers_.size(); }

  private:
    SystemEventSubscribers subscribers_;
};

}  // namespace tonvera::testing
