#pragma once

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include <systemd/sd-bus.h>

namespace tonvera::testing {

struct BusCloser {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using TestBus = std::unique_ptr<sd_bus, BusCloser>;

inline void checkBus(int result, const std::string& what) {
    if (result < 0) {
        throw std::runtime_error(what + ": " + std::strerror(-result));
    }
}

// A client connection to the bus at `busAddress` ("unix:path=…").
inline TestBus openBus(const std::string& busAddress) {
    sd_bus* raw = nullptr;
    checkBus(sd_bus_new(&raw), "Could not make a bus connection");
    TestBus bus(raw);
    checkBus(sd_bus_set_address(raw, busAddress.c_str()), "Bad bus address " + busAddress);
    checkBus(sd_bus_set_bus_client(raw, 1), "Could not make a bus client");
    checkBus(sd_bus_start(raw), "Could not connect to " + busAddress);
    return bus;
}

// Broadcasts a signal with one boolean argument from a connection that owns `ownerName`, as the
// service of that name does; the bus has passed it on when this returns. Throws when the bus
// cannot be reached or the name is owned by another connection.
inline void emitSignalAs(const std::string& busAddress, const std::string& ownerName,
                         const std::string& path, const std::string& interface,
                         const std::string& member, bool argument) {
    const TestBus bus = openBus(busAddress);
    checkBus(sd_bus_request_name(bus.get(), ownerName.c_str(), 0), "Could not own " + ownerName);
    checkBus(sd_bus_emit_signal(bus.get(), path.c_str(), interface.c_str(), member.c_str(), "b",
                                static_cast<int>(argument)),
             "Could not emit " + member);
    // Answered after the bus has routed the signal, which still came from the name's owner;
    // the next caller finds the name free.
    checkBus(sd_bus_release_name(bus.get(), ownerName.c_str()), "Could not release " + ownerName);
}

}  // namespace tonvera::testing
