#include "platform/linux/bluez_messages.h"

#include <cerrno>
#include <string_view>

namespace tonvera::bluez {
namespace {

// Calls `each` with the key of every entry of the dictionary at the read position, whose entries
// have the signature `entry` ("sv", "oa{sv}", …); `each` reads or skips the value.
template <typename Each>
int forEachEntry(sd_bus_message* message, const std::string& entry, Each each) {
    int result = sd_bus_message_enter_container(message, 'a', ("{" + entry + "}").c_str());
    if (result <= 0) {
        return result < 0 ? result : -EBADMSG;
    }
    while ((result = sd_bus_message_enter_container(message, 'e', entry.c_str())) > 0) {
        const char* key = nullptr;
        if ((result = sd_bus_message_read_basic(message, entry.front(), &key)) < 0 ||
            (result = each(std::string_view(key))) < 0 ||
            (result = sd_bus_message_exit_container(message)) < 0) {
            return result;
        }
    }
    return result < 0 ? result : sd_bus_message_exit_container(message);
}

// Reads a variant that holds `type` into `value`, and skips one that holds anything else.
template <typename Value>
int readVariant(sd_bus_message* message, char type, Value& value) {
    const char* contents = nullptr;
    int result = sd_bus_message_peek_type(message, nullptr, &contents);
    if (result < 0 || contents == nullptr || contents[0] != type || contents[1] != '\0') {
        return result < 0 ? result : sd_bus_message_skip(message, "v");
    }
    if ((result = sd_bus_message_enter_container(message, 'v', contents)) < 0 ||
        (result = sd_bus_message_read_basic(message, type, &value)) < 0) {
        return result;
    }
    return sd_bus_message_exit_container(message);
}

int readText(sd_bus_message* message, char type, std::string& text) {
    const char* value = nullptr;
    const int result = readVariant(message, type, value);
    if (value != nullptr) {
        text = value;
    }
    return result;
}

int readFlag(sd_bus_message* message, bool& flag) {
    int value = flag ? 1 : 0;
    const int result = readVariant(message, 'b', value);
    flag = value != 0;
    return result;
}

int skipValue(sd_bus_message* message) {
    return sd_bus_message_skip(message, "v");
}

}  // namespace

int readObjects(sd_bus_message* reply, Objects& objects) {
    return forEachEntry(reply, "oa{sa{sv}}", [&](std::string_view path) {
        return forEachEntry(reply, "sa{sv}", [&](std::string_view interface) {
            if (interface == kAdapterInterface) {
                bool& powered = objects.adapterPowered[std::string(path)];
                return forEachEntry(reply, "sv", [&](std::string_view name) {
                    return name == "Powered" ? readFlag(reply, powered) : skipValue(reply);
                });
            }
            if (interface == kDeviceInterface) {
                auto& found = objects.devices.emplace_back();
                found.path = path;
                BluetoothDevice& device = found.device;
                return forEachEntry(reply, "sv", [&](std::string_view name) {
                    if (name == "Address") {
                        return readText(reply, 's', device.address);
                    }
                    if (name == "Alias") {
                        return readText(reply, 's', device.name);
                    }
                    if (name == "Adapter") {
                        return readText(reply, 'o', found.adapterPath);
                    }
                    if (name == "Paired") {
                        return readFlag(reply, device.paired);
                    }
                    return name == "Connected" ? readFlag(reply, device.connected)
                                               : skipValue(reply);
                });
            }
            return sd_bus_message_skip(reply, "a{sv}");
        });
    });
}

int readConnectedChange(sd_bus_message* message, std::optional<bool>& connected) {
    return forEachEntry(message, "sv", [&](std::string_view name) {
        if (name != "Connected") {
            return skipValue(message);
        }
        int value = -1;
        const int result = readVariant(message, 'b', value);
        if (value >= 0) {
            connected = value != 0;
        }
        return result;
    });
}

}  // namespace tonvera::bluez
