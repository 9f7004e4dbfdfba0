#pragma once

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace tonvera::testing {

// The processor time this process has used so far: utime and stime in /proc/self/stat.
inline std::chrono::milliseconds processorTime() {
    std::ifstream stat("/proc/self/stat");
    const std::vector<std::string> fields(std::istream_iterator<std::string>(stat), {});
    const long ticks = std::stol(fields.at(13)) + std::stol(fields.at(14));
    return std::chrono::milliseconds(ticks * 1000 / ::sysconf(_SC_CLK_TCK));
}

}  // namespace tonvera::testing
