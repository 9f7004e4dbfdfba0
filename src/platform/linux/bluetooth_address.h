#pragma once

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

namespace tonvera {

// `text` as a Bluetooth address in BlueZ's spelling, "AA:BB:CC:DD:EE:FF": six pairs of hex
// digits in either case, separated by ':', '_' or '-'. Empty when it is not one.
inline std::string normalizedBluetoothAddress(std::string_view text) {
    constexpr std::size_t kLength = 17;
    if (text.size() != kLength) {
        return {};
    }
    std::string address(text);
    for (std::size_t i = 0; i < address.size(); ++i) {
        char& c = address[i];
        if (i % 3 == 2) {
            if (c != ':' && c != '_' && c != '-') {
                return {};
            }
            c = ':';
        } else if (std::isxdigit(static_cast<unsigned char>(c)) == 0) {
            return {};
        } else {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return address;
}

// The address of the device at BlueZ's object path ".../dev_AA_BB_CC_DD_EE_FF"; empty for any
// other path.
inline std::string bluetoothAddressOfDevicePath(std::string_view path) {
    constexpr std::string_view kPrefix = "/dev_";
    const auto start = path.rfind(kPrefix);
    return start == std::string_view::npos
               ? std::string()
               : normalizedBluetoothAddress(path.substr(start + kPrefix.size()));
}

}  // namespace tonvera
