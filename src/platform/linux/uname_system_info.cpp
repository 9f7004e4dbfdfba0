#include "platform/linux/uname_system_info.h"

#include <array>
#include <charconv>

#include <sys/utsname.h>

namespace tonvera {

OperatingSystemVersion UnameSystemInfo::operatingSystemVersion() const {
    utsname names{};
    if (::uname(&names) != 0) {
        return {"Linux", 0, 0, 0};
    }
    return parseRelease(names.sysname, names.release);
}

OperatingSystemVersion UnameSystemInfo::parseRelease(std::string_view name,
                                                     std::string_view release) {
    std::array<std::int64_t, 3> numbers{};
    const char* position = release.data();
    const char* end = release.data() + release.size();
    for (auto& number : numbers) {
        const auto [next, error] = std::from_chars(position, end, number);
        if (error != std::errc() || next == end || *next != '.') {
            break;
        }
        position = next + 1;
    }
    return {std::string(name), numbers[0], numbers[1], numbers[2]};
}

}  // namespace tonvera
