#include "platform/linux/system_log_sink.h"

#include <system_error>

#include "platform/linux/stderr_log_sink.h"

namespace tonvera {

std::shared_ptr<LogSink> makeSystemLogSink(const std::filesystem::path& journalSocket) {
    std::error_code error;
    if (std::filesystem::is_socket(journalSocket, error)) {
        return std::make_shared<JournalLogSink>(journalSocket);
    }
    return std::make_shared<StderrLogSink>();
}

}  // namespace tonvera
