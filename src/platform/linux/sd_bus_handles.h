#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>

#include <systemd/sd-bus.h>

#include "platform/linux/environment_lock.h"

namespace tonvera::sd_bus_handles {

// Closes without flushing: a bus that never answers would hold the caller until its time-out.
struct BusCloser {
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
using BusPtr = std::unique_ptr<sd_bus, BusCloser>;

struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using MessagePtr = std::unique_ptr<sd_bus_message, MessageUnref>;

// Dropping the slot of a pending call cancels its callback.
struct SlotUnref {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using SlotPtr = std::unique_ptr<sd_bus_slot, SlotUnref>;

// Connects to the bus at `address`, or to the session's (or the system's) own bus when none is
// given; returns sd-bus's result, negative on failure, with `bus` holding what was made.
inline int openBus(const std::optional<std::string>& address, bool system, BusPtr& bus) {
    // Without an address, sd-bus finds the bus through the environment.
    const std::shared_lock environment(environmentLock());
    sd_bus* raw = nullptr;
    int result = 0;
    if (address) {
        result = sd_bus_new(&raw);
        if (result >= 0) {
            sd_bus_set_address(raw, address->c_str());
            sd_bus_set_bus_client(raw, 1);
            result = sd_bus_start(raw);
        }
    } else {
        result = system ? sd_bus_open_system(&raw) : sd_bus_open_user(&raw);
    }
    bus.reset(raw);
    return result;
}

// sd-bus counts its deadlines in microseconds of the monotonic clock, which the steady clock
// reads.
inline std::uint64_t nowMicros() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// A poll time-out in milliseconds until `until` (sd-bus microseconds; UINT64_MAX for none,
// which is -1), never more than a minute.
inline int pollTimeoutUntil(std::uint64_t until) {
    if (until == UINT64_MAX) {
        return -1;
    }
    const std::uint64_t now = nowMicros();
    return until <= now
               ? 0
               : static_cast<int>(std::min<std::uint64_t>((until - now + 999) / 1000, 60'000));
}

// The poll time-out until the bus's next deadline.
inline int pollTimeout(sd_bus* bus) {
    std::uint64_t until = 0;
    return sd_bus_get_timeout(bus, &until) < 0 ? -1 : pollTimeoutUntil(until);
}

}  // namespace tonvera::sd_bus_handles
