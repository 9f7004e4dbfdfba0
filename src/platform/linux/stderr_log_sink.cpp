#include "platform/linux/stderr_log_sink.h"

#include <chrono>

#include <fmt/chrono.h>

namespace tonvera {

void StderrLogSink::write(LogLevel level, std::string_view subsystem, std::string_view category,
                          std::string_view message) {
    const auto now =
        std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now());
    const std::string line =
        fmt::format("{:%Y-%m-%dT%H:%M:%S}Z {} {}[{}] {}\n", now,
                    level == LogLevel::error ? "error" : "info", subsystem, category, message);
    std::lock_guard lock(mutex_);
    std::fputs(line.c_str(), stream_);
    std::fflush(stream_);
}

}  // namespace tonvera
