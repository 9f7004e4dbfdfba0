#pragma once

#include <string_view>

#include "selection/accessibility_error.h"

namespace tonvera {

// True when a failed attempt means the accessibility permission is gone: the error is
// `permissionMissing`, or its lower-cased description speaks of a refused access in German
// or English (the operating system's and the script route's own words).
bool isPermissionError(const AccessibilityError* error, std::string_view lowercasedDescription);

}  // namespace tonvera
