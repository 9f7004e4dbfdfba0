#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/linux/journal_log_sink.h"
#include "platform/linux/stderr_log_sink.h"
#include "platform/linux/system_log_sink.h"
#include "support/temporary_directory.h"

namespace tonvera {
namespace {

using ::testing::MatchesRegex;

// The fields of the next datagram waiting at a journal socket of our own.
std::map<std::string, std::string> receiveFields(int fd) {
    std::string datagram(128UL * 1024, '\0');
    const ssize_t size = ::recv(fd, datagram.data(), datagram.size(), MSG_DONTWAIT);
    datagram.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    std::map<std::string, std::string> fields;
    for (std::size_t at = 0; at < datagram.size();) {
        const std::size_t end = datagram.find_first_of("=\n", at);
        std::string& value = fields[datagram.substr(at, end - at)];
        if (datagram[end] == '=') {
            const std::size_t lineEnd = datagram.find('\n', end);
            value = datagram.substr(end + 1, lineEnd - end - 1);
            at = lineEnd + 1;
        } else {
            std::uint64_t length = 0;  // little endian, as on this machine
            std::memcpy(&length, datagram.data() + end + 1, sizeof length);
            value = datagram.substr(end + 9, length);
            at = end + 9 + length + 1;
        }
    }
    return fields;
}

TEST(LogSinkTest, StandardErrorLinesCarryTimeLevelSubsystemAndCategory) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    StderrLogSink sink(stream);
    Logger logger = makeAirPlayLogger(std::shared_ptr<LogSink>(&sink, [](LogSink*) {}));
    logger.info("[AirPlay] Attempt {}/{} to select {}", 1, 4, "Küche");
    logger.error("[AirPlay] failed");

    std::rewind(stream);
    std::array<char, 512> buffer{};
    std::string text;
    while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), stream) != nullptr) {
        text += buffer.data();
    }
    std::fclose(stream);
    EXPECT_THAT(text,
                MatchesRegex("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]+Z info "
                             "com\\.corvanet\\.Tonvera\\[AirPlay\\] \\[AirPlay\\] Attempt 1/4 "
                             "to select Küche\n"
                             "[0-9T:.Z-]+ error com\\.corvanet\\.Tonvera\\[AirPlay\\] "
                             "\\[AirPlay\\] failed\n"));
}

TEST(LogSinkTest, TheJournalIsChosenOnlyWhenItsSocketExistsAndGetsEveryLineWithItsFields) {
    testing::TemporaryDirectory directory;
    const auto socketPath = directory.path() / "journal.socket";
    EXPECT_NE(dynamic_cast<StderrLogSink*>(makeSystemLogSink(socketPath).get()), nullptr);

    // A plain file of that name is no journal either.
    std::FILE* file = std::fopen(socketPath.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_NE(dynamic_cast<StderrLogSink*>(makeSystemLogSink(socketPath).get()), nullptr);
    std::filesystem::remove(socketPath);

    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const auto sink = makeSystemLogSink(socketPath);
    ASSERT_NE(dynamic_cast<JournalLogSink*>(sink.get()), nullptr);

    makeAirPlayLogger(sink).info("[AirPlay] Küche\nRadio");
    EXPECT_EQ(receiveFields(fd),
              (std::map<std::string, std::string>{{"MESSAGE", "[AirPlay] Küche\nRadio"},
                                                  {"PRIORITY", "6"},
                                                  {"SYSLOG_IDENTIFIER", "tonvera"},
                                                  {"SUBSYSTEM", "com.corvanet.Tonvera"},
                                                  {"CATEGORY", "AirPlay"}}));

    // A huge line arrives cut short at a character boundary instead of not at all.
    std::string huge;
    for (int i = 0; i < 60000; ++i) {
        huge += "ä";
    }
    Logger(sink, "com.corvanet.Tonvera", "App").error("{}", huge);
    auto fields = receiveFields(fd);
    EXPECT_EQ(fields["PRIORITY"], "3");
    EXPECT_EQ(fields["CATEGORY"], "App");
    EXPECT_GT(fields["MESSAGE"].size(), 40000U);
    EXPECT_TRUE(huge.starts_with(fields["MESSAGE"]) && fields["MESSAGE"].size() % 2 == 0);
    ::close(fd);
}

}  // namespace
}  // namespace tonvera
