#include "platform/linux/journal_log_sink.h"

#include <string>

#include <syslog.h>
#include <systemd/sd-journal.h>

namespace tonvera {

void JournalLogSink::write(LogLevel level, std::string_view subsystem, std::string_view category,
                           std::string_view message) {
    const std::string messageText(message);
    const std::string subsystemText(subsystem);
    const std::string categoryText(category);
    const int priority = level == LogLevel::error ? LOG_ERR : LOG_INFO;
    // The journal is best effort: a failed send must never disturb the caller.
    sd_journal_send("MESSAGE=%s", messageText.c_str(), "PRIORITY=%d", priority,
                    "SYSLOG_IDENTIFIER=tonvera", "TONVERA_SUBSYSTEM=%s", subsystemText.c_str(),
                    "TONVERA_CATEGORY=%s", categoryText.c_str(), nullptr);
}

}  // namespace tonvera
