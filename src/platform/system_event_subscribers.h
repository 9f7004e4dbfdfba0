#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/system_events.h"

namespace tonvera {

// The subscriber list behind every SystemEvents implementation, keeping the interface's
// promise: once unsubscribe has returned, its handler is never called again, from any thread.
// Deliveries run one at a time; a handler may subscribe and unsubscribe, itself included.
class SystemEventSubscribers {
  public:
    SystemEventToken subscribe(SystemEvent event, std::function<void()> handler) {
        std::lock_guard lock(mutex_);
        const SystemEventToken token = next_++;
        handlers_.emplace(token, std::pair{event, std::move(handler)});
        return token;
    }

    // Waits for a delivery under way on another thread, so never call it from a thread that
    // a handler waits for.
    void unsubscribe(SystemEventToken token) {
        std::function<void()> removed;  // its captures go after both locks are released
        {
            const std::lock_guard delivering(delivering_);
            const std::lock_guard lock(mutex_);
            if (const auto found = handlers_.find(token); found != handlers_.end()) {
                removed = std::move(found->second.second);
                handlers_.erase(found);
            }
        }
    }

    // Calls every handler of `event`, in subscription order, on the calling thread. A handler
    // unsubscribed by an earlier one in the same delivery is skipped.
    void deliver(SystemEvent event) {
        const std::lock_guard delivering(delivering_);
        std::vector<SystemEventToken> matching;
        {
            const std::lock_guard lock(mutex_);
            for (const auto& [token, entry] : handlers_) {
                if (entry.first == event) {
                    matching.push_back(token);
                }
            }
        }
        for (const auto token : matching) {
            std::function<void()> handler;
            {
                const std::lock_guard lock(mutex_);
                const auto found = handlers_.find(token);
                if (found == handlers_.end()) {
                    continue;
                }
                handler = found->second.second;  // a copy survives its own unsubscription
            }
            handler();
        }
    }

    std::size_t size() const {
        const std::lock_guard lock(mutex_);
        return handlers_.size();
    }

  private:
    mutable std::mutex mutex_;
    // Held while handlers run; recursive, so a handler may unsubscribe on its own thread.
    std::recursive_mutex delivering_;
    SystemEventToken next_ = 1;
    std::map<SystemEventToken, std::pair<SystemEvent, std::function<void()>>> handlers_;
};

}  // namespace tonvera
