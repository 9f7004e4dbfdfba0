#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <utility>

#include "settings/observer_list.h"

namespace tonvera {

// Whether a new observer is first called with the value current at subscription.
enum class Observation { includeCurrent, skipCurrent };

// One stored preference: its key, its in-memory value and the stream of its new values.
// Reads may come from any thread; assignments come from the main thread.
template <typename T>
class ObservableProperty {
  public:
    ObservableProperty(std::string key, T initial)
        : key_(std::move(key)), value_(std::move(initial)) {}

    const std::string& key() const { return key_; }

    T get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }

    Subscription observe(std::function<void(const T&)> observer, Observation start) {
        if (start == Observation::includeCurrent) {
            observer(get());
        }
        return observers_.add(std::move(observer));
    }

    // Announces `value` to the observers, then stores it: observers see the old value when
    // they read the property, as with a will-set announcement.
    void announceAndStore(const T& value) {
        observers_.notify(value);
        std::lock_guard lock(mutex_);
        value_ = value;
    }

  private:
    const std::string key_;
    mutable std::mutex mutex_;
    T value_;
    ObserverList<T> observers_;
};

}  // namespace tonvera
