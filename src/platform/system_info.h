#pragma once

#include <cstdint>
#include <string>

namespace tonvera {

// The running operating system: its name as users know it and its version numbers.
struct OperatingSystemVersion {
    std::string name;
    std::int64_t major = 0;
    std::int64_t minor = 0;
    std::int64_t patch = 0;
};

// Facts about the machine the application runs on.
class SystemInfo {
  public:
    virtual ~SystemInfo() = default;

    virtual OperatingSystemVersion operatingSystemVersion() const = 0;
};

}  // namespace tonvera
