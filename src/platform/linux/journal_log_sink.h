#pragma once

#include "platform/logger.h"

namespace tonvera {

// Writes to the systemd journal with the subsystem and category as fields of their own.
class JournalLogSink final : public LogSink {
  public:
    void write(LogLevel level, std::string_view subsystem, std::string_view category,
               std::string_view message) override;
};

}  // namespace tonvera
