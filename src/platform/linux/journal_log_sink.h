#pragma once

#include <filesystem>
#include <string_view>

#include "platform/linux/unique_fd.h"
#include "platform/logger.h"

namespace tonvera {

inline constexpr std::string_view kJournalSocketPath = "/run/systemd/journal/socket";

// Writes to the systemd journal over its native protocol. Every line carries
// SYSLOG_IDENTIFIER=tonvera and the subsystem and category as the fields SUBSYSTEM and
// CATEGORY, so `journalctl -t tonvera` and `journalctl SUBSYSTEM=com.corvanet.Tonvera` find it.
class JournalLogSink final : public LogSink {
  public:
    explicit JournalLogSink(
        std::filesystem::path socketPath = std::filesystem::path(kJournalSocketPath));

    void write(LogLevel level, std::string_view subsystem, std::string_view category,
               std::string_view message) override;

  private:
    std::filesystem::path socketPath_;
    UniqueFd socket_;
};

}  // namespace tonvera
