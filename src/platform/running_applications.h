#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tonvera {

// One running application as the platform describes it; any of the names may be missing.
struct RunningApplication {
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> executablePath;
    std::optional<std::string> localizedName;
    std::int32_t processIdentifier = 0;
};

// The applications of the user's session.
class RunningApplications {
  public:
    virtual ~RunningApplications() = default;

    // Every running application, in the platform's own order.
    virtual std::vector<RunningApplication> runningApplications() = 0;
};

}  // namespace tonvera
