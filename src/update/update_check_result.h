#pragma once

#include <string>
#include <variant>

#include "update/web_address.h"

namespace tonvera {

// The offered version is not newer than the installed one.
struct UpToDate {
    std::string current;
    friend bool operator==(const UpToDate&, const UpToDate&) = default;
};

// A newer version is offered for download.
struct UpdateAvailable {
    std::string version;
    WebAddress url;
    friend bool operator==(const UpdateAvailable&, const UpdateAvailable&) = default;
};

// The check could not be completed; `error` says why.
struct UpdateCheckFailed {
    std::string error;
    friend bool operator==(const UpdateCheckFailed&, const UpdateCheckFailed&) = default;
};

using UpdateCheckResult = std::variant<UpToDate, UpdateAvailable, UpdateCheckFailed>;

}  // namespace tonvera
