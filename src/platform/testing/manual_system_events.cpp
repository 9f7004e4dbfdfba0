#include "platform/testing/manual_system_events.h"

#include <vector>

namespace tonvera::testing {

SystemEventToken ManualSystemEvents::subscribe(SystemEvent event, std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    const SystemEventToken token = next_++;
    handlers_.emplace(token, std::pair{event, std::move(handler)});
    return token;
}

void ManualSystemEvents::unsubscribe(SystemEventToken token) {
    std::lock_guard lock(mutex_);
    handlers_.erase(token);
}

void ManualSystemEvents::post(SystemEvent event) {
    std::vector<std::function<void()>> matching;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [token, entry] : handlers_) {
            if (entry.first == event) {
                matching.push_back(entry.second);
            }
        }
    }
    for (const auto& handler : matching) {
        handler();
    }
}

std::size_t ManualSystemEvents::subscriptionCount() const {
    std::lock_guard lock(mutex_);
    return handlers_.size();
}

}  // namespace tonvera::testing
