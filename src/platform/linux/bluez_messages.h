#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <systemd/sd-bus.h>

#include "platform/bluetooth_devices.h"

namespace tonvera::bluez {

inline constexpr const char* kService = "org.bluez";
inline constexpr const char* kAdapterInterface = "org.bluez.Adapter1";
inline constexpr const char* kDeviceInterface = "org.bluez.Device1";

// What BlueZ's object tree says about its adapters and devices.
struct Objects {
    struct Device {
        std::string path;
        std::string adapterPath;
        BluetoothDevice device;  // without `adapterPowered`, which its adapter tells
    };

    std::map<std::string, bool> adapterPowered;  // by the adapter's object path
    std::vector<Device> devices;
};

// Reads the answer to ObjectManager.GetManagedObjects; sd-bus's negative error number when it
// is not one.
int readObjects(sd_bus_message* reply, Objects& objects);

// Reads the changed properties of a PropertiesChanged signal (read up to them): the new value
// of Connected, or nothing when it did not change.
int readConnectedChange(sd_bus_message* message, std::optional<bool>& connected);

}  // namespace tonvera::bluez
