#pragma once

#include <string>

#include <pulse/introspect.h>

namespace tonvera {

// The Bluetooth address of a sink the sound server made for a Bluetooth device
// ("AA:BB:CC:DD:EE:FF"); empty for any other sink.
std::string bluetoothAddressOfSink(const pa_sink_info& sink);

}  // namespace tonvera
