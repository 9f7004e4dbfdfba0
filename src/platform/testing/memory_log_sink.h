#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/logger.h"

namespace tonvera::testing {

// Keeps every line in memory so a test can assert the whole log.
class MemoryLogSink final : public LogSink {
  public:
    struct Entry {
        LogLevel level;
        std::string subsystem;
        std::string category;
        std::string message;
    };

    void write(LogLevel level, std::string_view subsystem, std::string_view category,
               std::string_view message) override;

    std::vector<Entry> entries() const;

    // Each line as "info: text" or "error: text", in order: compact to compare whole logs.
    std::vector<std::string> lines() const;

    void clear();

  private:
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

}  // namespace tonvera::testing
