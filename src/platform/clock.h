#pragma once

#include <chrono>
#include <stop_token>

namespace tonvera {

// Monotonic time and waits. Every pause in the program goes through this, so tests can run
// a schedule of seconds in virtual time.
class Clock {
  public:
    using Duration = std::chrono::nanoseconds;
    using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

    virtual ~Clock() = default;

    // The current monotonic time.
    virtual TimePoint now() const = 0;

    // Blocks for `duration`; returns false when `stop` was requested before it elapsed.
    virtual bool sleepFor(Duration duration, std::stop_token stop) = 0;
};

}  // namespace tonvera
