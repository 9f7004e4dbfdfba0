#pragma once

#include "platform/clock.h"

namespace tonvera {

// Real monotonic time; a sleep wakes at once when its stop token is stopped.
class SteadyClock final : public Clock {
  public:
    TimePoint now() const override;
    bool sleepFor(Duration duration, std::stop_token stop) override;
};

}  // namespace tonvera
