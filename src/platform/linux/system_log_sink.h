#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/logger.h"

namespace tonvera {

inline constexpr std::string_view kJournalSocketPath = "/run/systemd/journal/socket";

// The journal when its socket exists, standard error otherwise. The journal client reports
// success even where no journal runs, so only the socket tells whether lines would arrive.
std::shared_ptr<LogSink> makeSystemLogSink(
    const std::filesystem::path& journalSocket = std::filesystem::path(kJournalSocketPath));

}  // namespace tonvera
