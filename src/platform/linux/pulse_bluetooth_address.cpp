#include "platform/linux/pulse_bluetooth_address.h"

#include <string_view>

#include <pulse/proplist.h>

#include "platform/linux/bluetooth_address.h"

namespace tonvera {

// PipeWire marks the nodes of its Bluetooth devices with device.api "bluez5" and the address in
// api.bluez5.address. PulseAudio's Bluetooth module names its sinks
// "bluez_sink.<AA_BB_CC_DD_EE_FF>.<profile>", puts the address in device.string and the device's
// BlueZ object in bluez.path; any of them gives the address.
std::string bluetoothAddressOfSink(const pa_sink_info& sink) {
    const auto property = [&sink](const char* key) {
        const char* value = pa_proplist_gets(sink.proplist, key);
        return std::string_view(value != nullptr ? value : "");
    };
    if (property("device.api") == "bluez5") {
        return normalizedBluetoothAddress(property("api.bluez5.address"));
    }
    constexpr std::string_view kSinkPrefix = "bluez_sink.";
    const std::string_view name = sink.name != nullptr ? sink.name : "";
    const std::string_view objectPath = property("bluez.path");
    if (!name.starts_with(kSinkPrefix) && objectPath.empty()) {
        return {};
    }
    std::string address = normalizedBluetoothAddress(property("device.string"));
    if (address.empty() && name.starts_with(kSinkPrefix)) {
        address = normalizedBluetoothAddress(name.substr(kSinkPrefix.size(), 17));
    }
    return address.empty() ? bluetoothAddressOfDevicePath(objectPath) : address;
}

}  // namespace tonvera
