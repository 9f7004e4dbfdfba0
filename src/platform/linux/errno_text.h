#pragma once

#include <string>
#include <system_error>

namespace tonvera {

// The system's text for an error number. libsystemd's negative codes are taken as they come.
inline std::string errnoText(int error) {
    return std::generic_category().message(error < 0 ? -error : error);
}

}  // namespace tonvera
