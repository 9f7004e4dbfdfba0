#pragma once

#include <exception>
#include <string>

namespace tonvera {

// The text users and the log see for a failure: an AccessibilityError's own description,
// any other exception's message, or a generic sentence for anything else.
std::string describeError(const std::exception_ptr& error);

}  // namespace tonvera
