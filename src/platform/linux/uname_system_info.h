#pragma once

#include <string_view>

#include "platform/system_info.h"

namespace tonvera {

// The kernel's name and release as uname reports them ("Linux", 6.1.0 of "6.1.0-28-amd64").
class UnameSystemInfo final : public SystemInfo {
  public:
    OperatingSystemVersion operatingSystemVersion() const override;

    // The first three numbers of a release text; missing or unreadable ones are 0.
    static OperatingSystemVersion parseRelease(std::string_view name, std::string_view release);
};

}  // namespace tonvera
