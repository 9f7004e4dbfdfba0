#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include <fmt/format.h>

namespace tonvera {

enum class LogLevel { info, error };

// Where log lines end up: the system log on a desktop, memory in tests.
class LogSink {
  public:
    virtual ~LogSink() = default;

    // Records one finished line; must be callable from any thread.
    virtual void write(LogLevel level, std::string_view subsystem, std::string_view category,
                       std::string_view message) = 0;
};

// A handle that tags every line with one subsystem and category and formats with {fmt}.
class Logger {
  public:
    Logger(std::shared_ptr<LogSink> sink, std::string subsystem, std::string category)
        : sink_(std::move(sink)),
          subsystem_(std::move(subsystem)),
          category_(std::move(category)) {}

    template <typename... Args>
    void info(fmt::format_string<Args...> format, Args&&... args) const {
        write(LogLevel::info, fmt::format(format, std::forward<Args>(args)...));
    }

    template <typename... Args>
    void error(fmt::format_string<Args...> format, Args&&... args) const {
        write(LogLevel::error, fmt::format(format, std::forward<Args>(args)...));
    }

    void write(LogLevel level, std::string_view message) const {
        if (sink_) {
            sink_->write(level, subsystem_, category_, message);
        }
    }

  private:
    std::shared_ptr<LogSink> sink_;
    std::string subsystem_;
    std::string category_;
};

inline constexpr std::string_view kLogSubsystem = "com.corvanet.Tonvera";
inline constexpr std::string_view kAirPlayLogCategory = "AirPlay";

// The logger every part of output selection and reconnect control writes through.
inline Logger makeAirPlayLogger(std::shared_ptr<LogSink> sink) {
    return {std::move(sink), std::string(kLogSubsystem), std::string(kAirPlayLogCategory)};
}

}  // namespace tonvera
