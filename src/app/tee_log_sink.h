#pragma once

#include <memory>
#include <utility>

#include "platform/logger.h"

namespace tonvera {

// Writes every line to two sinks: the system log and, for someone watching in a terminal,
// standard error.
class TeeLogSink final : public LogSink {
  public:
    TeeLogSink(std::shared_ptr<LogSink> first, std::shared_ptr<LogSink> second)
        : first_(std::move(first)), second_(std::move(second)) {}

    void write(LogLevel level, std::string_view subsystem, std::string_view category,
               std::string_view message) override {
        first_->write(level, subsystem, category, message);
        second_->write(level, subsystem, category, message);
    }

  private:
    std::shared_ptr<LogSink> first_;
    std::shared_ptr<LogSink> second_;
};

}  // namespace tonvera
