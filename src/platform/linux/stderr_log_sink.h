#pragma once

#include <cstdio>
#include <mutex>

#include "platform/logger.h"

namespace tonvera {

// One line per message: UTC time, level, subsystem and category, then the text.
class StderrLogSink final : public LogSink {
  public:
    explicit StderrLogSink(std::FILE* stream = stderr) : stream_(stream) {}

    void write(LogLevel level, std::string_view subsystem, std::string_view category,
               std::string_view message) override;

  private:
    std::mutex mutex_;
    std::FILE* stream_;
};

}  // namespace tonvera
