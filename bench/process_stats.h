#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/types.h>
#include <unistd.h>

namespace tonvera::bench {

// What a running process has cost so far, read from /proc.
struct ProcessStats {
    double cpuSeconds = 0;  // user and system time, in steps of the 10 ms clock tick
    long voluntarySwitches = 0;
    long involuntarySwitches = 0;
    long residentKiB = 0;
    // Pages only this process holds (heap, stacks, relocated data): unlike the resident size,
    // they do not count library code that other programs share.
    long privateCleanKiB = 0;
    long privateDirtyKiB = 0;

    long privateKiB() const { return privateCleanKiB + privateDirtyKiB; }
};

namespace detail {

// The number after `key` on the first line of `file` that starts with it.
inline long valueAfter(const std::filesystem::path& file, std::string_view key) {
    std::ifstream input(file);
    for (std::string line; std::getline(input, line);) {
        if (line.starts_with(key)) {
            return std::stol(line.substr(key.size()));
        }
    }
    return 0;
}

}  // namespace detail

inline ProcessStats statsOf(pid_t pid) {
    const std::filesystem::path folder = "/proc/" + std::to_string(pid);
    ProcessStats stats;
    std::ifstream stat(folder / "stat");
    std::string content;
    std::getline(stat, content);
    if (content.find(')') == std::string::npos) {
        return stats;
    }
    // Fields after the command name, which ends with the last ')'.
    std::istringstream fields(content.substr(content.rfind(')') + 2));
    std::vector<std::string> values;
    for (std::string value; fields >> value;) {
        values.push_back(value);
    }
    if (values.size() > 13) {
        const auto ticks = static_cast<double>(::sysconf(_SC_CLK_TCK));
        stats.cpuSeconds = (std::stod(values[11]) + std::stod(values[12])) / ticks;
    }
    stats.residentKiB = detail::valueAfter(folder / "status", "VmRSS:");
    stats.privateCleanKiB = detail::valueAfter(folder / "smaps_rollup", "Private_Clean:");
    stats.privateDirtyKiB = detail::valueAfter(folder / "smaps_rollup", "Private_Dirty:");
    // Context switches are counted per thread: add up every thread of the process.
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(folder / "task", error)) {
        stats.voluntarySwitches +=
            detail::valueAfter(task.path() / "status", "voluntary_ctxt_switches:");
        stats.involuntarySwitches +=
            detail::valueAfter(task.path() / "status", "nonvoluntary_ctxt_switches:");
    }
    return stats;
}

}  // namespace tonvera::bench
