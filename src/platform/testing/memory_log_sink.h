#pragma once

#include <chrono>
#include <condition_variable>
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

    // Waits until at least `count` lines are recorded or `limit` passes; true when they are.
    bool waitForLines(std::size_t count, std::chrono::milliseconds limit) const;

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable written_;
    std::vector<Entry> entries_;
};

}  // namespace tonvera::testing
