#include <chrono>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/posix_process_launcher.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

const std::string kFake = TONVERA_FAKE_OSASCRIPT;

std::size_t openDescriptorCount() {
    std::size_t count = 0;
    DIR* directory = ::opendir("/proc/self/fd");
    while (const dirent* entry = ::readdir(directory)) {
        count += entry->d_name[0] != '.' ? 1 : 0;
    }
    ::closedir(directory);
    return count;
}

bool hasUnreapedChildren() {
    siginfo_t info{};
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0;
}

struct LauncherTest : ::testing::Test {
    PosixProcessLauncher launcher{200ms};

    ProcessResult run(std::vector<std::string> arguments, std::chrono::milliseconds timeout = 10s,
                      const std::stop_token& stop = {}) {
        return launcher.run(kFake, arguments, timeout, stop);
    }
};

TEST_F(LauncherTest, ReportsStatusAndBothOutputsByteForByte) {
    auto result = run({"--stdout", "Wohnzimmer, Küche\n", "--stderr", "warn", "--status", "3"});
    EXPECT_EQ(result.ending, ProcessResult::Ending::exited);
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.standardOutput, "Wohnzimmer, Küche\n");
    EXPECT_EQ(result.standardError, "warn");

    result = run({"--garbage"});
    EXPECT_EQ(result.standardOutput, "\xff\xfe\xc3");
    EXPECT_EQ(result.exitStatus, 0);
}

TEST_F(LauncherTest, MegabytesOnBothStreamsDoNotDeadlock) {
    const auto result = run({"--flood", std::to_string(8 * 1024 * 1024)});
    EXPECT_EQ(result.ending, ProcessResult::Ending::exited);
    EXPECT_EQ(result.standardOutput.size(), 8U * 1024 * 1024);
    EXPECT_EQ(result.standardError.size(), 8U * 1024 * 1024);
}

TEST_F(LauncherTest, AHangIsEndedByTheBoundEvenWhenTerminationIsIgnored) {
    const auto start = std::chrono::steady_clock::now();
    auto result = run({"--stdout", "partial", "--hang"}, 300ms);
    EXPECT_EQ(result.ending, ProcessResult::Ending::timedOut);
    EXPECT_EQ(result.exitStatus, 128 + SIGTERM);
    EXPECT_EQ(result.standardOutput, "partial");

    result = run({"--ignore-term", "--hang"}, 300ms);
    EXPECT_EQ(result.ending, ProcessResult::Ending::timedOut);
    EXPECT_EQ(result.exitStatus, 128 + SIGKILL);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_FALSE(hasUnreapedChildren());
}

TEST_F(LauncherTest, AGrandchildHoldingTheOutputIsEndedWithItsGroup) {
    const auto result = run({"--stdout", "done", "--orphan"}, 300ms);
    EXPECT_EQ(result.ending, ProcessResult::Ending::timedOut);
    EXPECT_EQ(result.exitStatus, 0);  // the script itself had finished
    EXPECT_EQ(result.standardOutput, "done");
}

TEST_F(LauncherTest, AStopRequestEndsTheChildAtOnce) {
    std::stop_source stop;
    std::thread stopper([&] { stop.request_stop(); });
    const auto result = run({"--hang"}, 60s, stop.get_token());
    stopper.join();
    EXPECT_EQ(result.ending, ProcessResult::Ending::cancelled);
    EXPECT_FALSE(hasUnreapedChildren());
}

TEST_F(LauncherTest, ALaunchFailureSaysWhatAndWhy) {
    try {
        launcher.run("/usr/bin/osascript-does-not-exist", {"-e", "x"}, 1s, {});
        ADD_FAILURE() << "no launch error";
    } catch (const ProcessLaunchError& error) {
        EXPECT_THAT(error.what(), HasSubstr("/usr/bin/osascript-does-not-exist"));
        EXPECT_THAT(error.what(), HasSubstr("No such file or directory"));
    }
    EXPECT_THROW(launcher.run("/etc/hostname", {}, 1s, {}), ProcessLaunchError);  // not executable
}

TEST_F(LauncherTest, TheChildGetsOnlyTheStandardDescriptorsAndNothingLeaks) {
    // A descriptor this process holds without close-on-exec must not reach the child.
    const int stray = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(stray, 3);
    EXPECT_EQ(run({"--fds"}).standardOutput, "0\n1\n2\n");
    ::close(stray);

    const std::size_t before = openDescriptorCount();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(launcher.run("/bin/true", {}, 10s, {}).exitStatus, 0);
    }
    EXPECT_EQ(openDescriptorCount(), before);
    EXPECT_FALSE(hasUnreapedChildren());
}

}  // namespace
}  // namespace tonvera
