#include "platform/linux/steady_clock.h"

#include <condition_variable>
#include <mutex>

namespace tonvera {

Clock::TimePoint SteadyClock::now() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

bool SteadyClock::sleepFor(Duration duration, std::stop_token stop) {
    if (duration <= Duration::zero()) {
        return !stop.stop_requested();
    }
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    // The predicate only turns true through a stop request; wait_for returns its value.
    const bool stopped = wakeUp.wait_for(lock, stop, duration, [] { return false; });
    return !stopped && !stop.stop_requested();
}

}  // namespace tonvera
