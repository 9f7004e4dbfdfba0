#include <cstdio>
#include <cstring>
#include <fstream>
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

// The next datagram waiting at a journal socket of our own.
std::string receive(int fd) {
    std::string datagram(128UL * 1024, '\0');
    const ssize_t size = ::recv(fd, datagram.data(), datagram.size(), MSG_DONTWAIT);
    datagram.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    return datagram;
}

TEST(LogSinkTest, StandardErrorLinesCarryTimeLevelSubsystemAndCategory) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    StderrLogSink sink(stream);
    Logger logger = makeAirPlayLogger(std::shared_ptr<LogSink>(&sink, [](LogSink*) {}));
    logger.info("[AirPlay] Attempt {}/{} to select {}", 1, 4, "Küche");
    logger.error("[AirPlay] failed");

    std::rewind(stream);
    std::string text(512, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), stream));
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
    std::ofstream(socketPath).put('x');
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
    // A value with a newline goes as its length (22, as 64-bit little endian) and its bytes.
    EXPECT_EQ(receive(fd), "MESSAGE\n" + std::string("\x16\0\0\0\0\0\0\0", 8) +
                               "[AirPlay] Küche\nRadio\nPRIORITY=6\nSYSLOG_IDENTIFIER=tonvera\n"
                               "SUBSYSTEM=com.corvanet.Tonvera\nCATEGORY=AirPlay\n");

    // A huge line arrives cut short at a character boundary instead of not at all.
    std::string huge = "x";  // so that the cut falls inside a character
    while (huge.size() < 100000) {
        huge += "ä";
    }
    Logger(sink, "com.corvanet.Tonvera", "App").error("{}", huge);
    const std::string datagram = receive(fd);
    const std::string message = datagram.substr(8, datagram.find("\nPRIORITY=3\n") - 8);
    EXPECT_GT(message.size(), 40000U);
    EXPECT_TRUE(datagram.starts_with("MESSAGE=") && huge.starts_with(message) &&
                message.size() % 2 == 1);
    ::close(fd);
}

}  // namespace
}  // namespace tonvera
