#include "platform/linux/journal_log_sink.h"

#include <cstdint>
#include <cstring>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>

namespace tonvera {
namespace {

// Far below the socket's datagram limit; a longer message is cut at a character boundary
// rather than lost as a whole.
constexpr std::size_t kMaxMessageBytes = 48UL * 1024;

std::string_view limited(std::string_view message) {
    if (message.size() <= kMaxMessageBytes) {
        return message;
    }
    std::size_t end = kMaxMessageBytes;
    while (end > 0 && (static_cast<unsigned char>(message[end]) & 0xC0U) == 0x80U) {
        --end;
    }
    return message.substr(0, end);
}

// One field: KEY=value on a line of its own; a value that holds a newline goes as the key, a
// newline, its length as 64-bit little endian, the value and a newline.
void appendField(std::string& datagram, std::string_view key, std::string_view value) {
    datagram += key;
    if (value.find('\n') == std::string_view::npos) {
        datagram += '=';
    } else {
        datagram += '\n';
        const std::uint64_t size = value.size();
        for (unsigned shift = 0; shift < 64; shift += 8) {
            datagram += static_cast<char>((size >> shift) & 0xFFU);
        }
    }
    datagram += value;
    datagram += '\n';
}

}  // namespace

JournalLogSink::JournalLogSink(std::filesystem::path socketPath)
    : socketPath_(std::move(socketPath)),
      socket_(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}

void JournalLogSink::write(LogLevel level, std::string_view subsystem, std::string_view category,
                           std::string_view message) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string& path = socketPath_.native();
    if (!socket_.valid() || path.size() >= sizeof(address.sun_path)) {
        return;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    std::string datagram;
    appendField(datagram, "MESSAGE", limited(message));
    appendField(datagram, "PRIORITY",
                std::to_string(level == LogLevel::error ? LOG_ERR : LOG_INFO));
    appendField(datagram, "SYSLOG_IDENTIFIER", "tonvera");
    appendField(datagram, "SUBSYSTEM", subsystem);
    appendField(datagram, "CATEGORY", category);
    // The journal is best effort: a failed send must never disturb the caller.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the socket API's own type.
    (void)::sendto(socket_.get(), datagram.data(), datagram.size(), MSG_NOSIGNAL,
                   reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

}  // namespace tonvera
