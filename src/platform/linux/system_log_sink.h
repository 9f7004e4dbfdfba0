#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/linux/journal_log_sink.h"
#include "platform/logger.h"

namespace tonvera {

// The journal when its socket exists, standard error otherwise: lines sent where no journal
// runs would vanish without a trace.
std::shared_ptr<LogSink> makeSystemLogSink(
    const std::filesystem::path& journalSocket = std::filesystem::path(kJournalSocketPath));

}  // namespace tonvera
