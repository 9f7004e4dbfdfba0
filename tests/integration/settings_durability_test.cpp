#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temporary_directory.h"

extern char** environ;

namespace tonvera {
namespace {

struct Writer {
    pid_t pid = -1;
    int output = -1;
};

Writer startWriter(const std::filesystem::path& directory, long first) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    const std::string firstText = std::to_string(first);
    const std::string directoryText = directory.string();
    char* const argv[] = {const_cast<char*>(TONVERA_SETTINGS_WRITER),
                          const_cast<char*>(directoryText.c_str()),
                          const_cast<char*>(firstText.c_str()), nullptr};
    Writer writer;
    const int result =
        ::posix_spawn(&writer.pid, TONVERA_SETTINGS_WRITER, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (result != 0) {
        ::close(pipeEnds[0]);
        throw std::runtime_error("cannot start the settings writer");
    }
    writer.output = pipeEnds[0];
    return writer;
}

// Reads whole lines until `count` completed assignments were reported; returns the last one.
long readReports(int fd, int count) {
    std::string pending;
    long last = -1;
    int seen = 0;
    char buffer[256];
    while (seen < count) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        pending.append(buffer, static_cast<std::size_t>(got));
        std::size_t end = 0;
        while ((end = pending.find('\n')) != std::string::npos) {
            last = std::stol(pending.substr(0, end));
            pending.erase(0, end + 1);
            ++seen;
        }
    }
    return last;
}

TEST(SettingsDurabilityTest, KilledWriterAlwaysLeavesAFileWithAWrittenValue) {
    testing::TemporaryDirectory directory;
    const auto file = directory.path() / "settings.json";
    std::mt19937 random(20261206);  // fixed seed: the same kill points on every run
    std::uniform_int_distribution<int> reports(1, 12);

    for (int round = 0; round < 25; ++round) {
        const long first = round * 1000000L;
        Writer writer = startWriter(directory.path(), first);
        const long lastReported = readReports(writer.output, reports(random));
        ::kill(writer.pid, SIGKILL);
        int status = 0;
        ::waitpid(writer.pid, &status, 0);
        ::close(writer.output);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended on its own in round " << round;
        ASSERT_GE(lastReported, first);

        std::ifstream in(file);
        std::stringstream contents;
        contents << in.rdbuf();
        const auto json = nlohmann::json::parse(contents.str(), nullptr, false);
        ASSERT_TRUE(json.is_object()) << "round " << round << ": " << contents.str();
        const std::string name = json.at("preferredAudioOutput").get<std::string>();
        ASSERT_TRUE(name.starts_with("name-")) << name;
        const long stored = std::stol(name.substr(5));
        // At least what was reported, and never something from the future.
        EXPECT_GE(stored, lastReported);
        EXPECT_LT(stored, first + 100000);
        const auto attempts = json.at("retryAttempts").get<long>();
        EXPECT_TRUE(attempts == stored || attempts == stored - 1) << attempts << " vs " << stored;
    }
}

}  // namespace
}  // namespace tonvera
