#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "settings/subscription.h"

namespace tonvera {

// Observers of one kind of event. Notification calls a snapshot of the observers, so an
// observer may subscribe or cancel from inside its own call. A Subscription that outlives the
// list is harmless.
template <typename... Args>
class ObserverList {
  public:
    using Observer = std::function<void(const Args&...)>;

    Subscription add(Observer observer) {
        std::lock_guard lock(state_->mutex);
        const std::uint64_t id = state_->nextId++;
        state_->observers.emplace(id, std::make_shared<Observer>(std::move(observer)));
        return Subscription([weak = std::weak_ptr<State>(state_), id] {
            if (const auto state = weak.lock()) {
                std::lock_guard stateLock(state->mutex);
                state->observers.erase(id);
            }
        });
    }

    void notify(const Args&... args) const {
        std::vector<std::shared_ptr<Observer>> snapshot;
        {
            std::lock_guard lock(state_->mutex);
            snapshot.reserve(state_->observers.size());
            for (const auto& entry : state_->observers) {
                snapshot.push_back(entry.second);
            }
        }
        for (const auto& observer : snapshot) {
            (*observer)(args...);
        }
    }

  private:
    struct State {
        std::mutex mutex;
        std::uint64_t nextId = 0;
        std::map<std::uint64_t, std::shared_ptr<Observer>> observers;
    };

    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace tonvera
