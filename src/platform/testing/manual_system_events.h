#pragma once

#include <map>
#include <mutex>
#include <utility>

#include "platform/system_events.h"

namespace tonvera::testing {

// System events that happen when the test says so; handlers run on the posting thread.
class ManualSystemEvents final : public SystemEvents {
  public:
    SystemEventToken subscribe(SystemEvent event, std::function<void()> handler) override;
    void unsubscribe(SystemEventToken token) override;

    // Runs every current handler of `event`, in subscription order.
    void post(SystemEvent event);

    std::size_t subscriptionCount() const;

  private:
    mutable std::mutex mutex_;
    SystemEventToken next_ = 1;
    std::map<SystemEventToken, std::pair<SystemEvent, std::function<void()>>> handlers_;
};

}  // namespace tonvera::testing
