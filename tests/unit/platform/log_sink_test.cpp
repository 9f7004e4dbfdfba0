#include <cstdio>
#include <cstring>
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

TEST(LogSinkTest, StandardErrorLinesCarryTimeLevelSubsystemAndCategory) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    StderrLogSink sink(stream);
    Logger logger = makeAirPlayLogger(std::shared_ptr<LogSink>(&sink, [](LogSink*) {}));
    logger.info("[AirPlay] Attempt {}/{} to select {}", 1, 4, "Küche");
    logger.error("[AirPlay] failed");

    std::rewind(stream);
    char buffer[512] = {};
    std::string text;
    while (std::fgets(buffer, sizeof buffer, stream) != nullptr) {
        text += buffer;
    }
    std::fclose(stream);
    EXPECT_THAT(text,
                MatchesRegex("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]+Z info "
                             "com\\.corvanet\\.Tonvera\\[AirPlay\\] \\[AirPlay\\] Attempt 1/4 "
                             "to select Küche\n"
                             "[0-9T:.Z-]+ error com\\.corvanet\\.Tonvera\\[AirPlay\\] "
                             "\\[AirPlay\\] failed\n"));
}

TEST(LogSinkTest, TheJournalIsChosenOnlyWhenItsSocketExists) {
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
    EXPECT_NE(dynamic_cast<JournalLogSink*>(makeSystemLogSink(socketPath).get()), nullptr);
    ::close(fd);
}

}  // namespace
}  // namespace tonvera
