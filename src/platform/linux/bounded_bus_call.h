#pragma once

#include <chrono>
#include <stop_token>

#include <systemd/sd-bus.h>

#include "platform/linux/sd_bus_handles.h"

namespace tonvera {

// How waiting for the answer to one method call ended.
struct BusAnswer {
    enum class Status {
        answered,   // `reply` holds the answer, which may be an error
        timedOut,   // nothing came before the deadline
        cancelled,  // the stop token was triggered first
        lost,       // the bus could not be used or went away; `error` says why
    };

    Status status = Status::lost;
    sd_bus_handles::MessagePtr reply;
    int error = 0;  // sd-bus's negative error number when lost
};

// Sends `call` on `bus` and waits for its answer until `deadline` or `stop`. The wait covers
// connecting to the bus and its greeting too, which sd-bus's own blocking call would wait up
// to 90 s for on a bus that never finishes it. The bus may be used again afterwards: a late
// answer to a call given up on is dropped.
BusAnswer callBefore(sd_bus* bus, sd_bus_message* call,
                     std::chrono::steady_clock::time_point deadline,
                     const std::stop_token& stop = {});

}  // namespace tonvera
