#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/posix_process_launcher.h"
#include "platform/linux/process_signals.h"
#include "support/temporary_directory.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

std::ptrdiff_t openDescriptorCount() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

bool hasUnreapedChildren() {
    siginfo_t info{};
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0;
}

// Whether the process `pid` (not our child) ends within `limit`; kills it when it does not.
bool endsWithin(pid_t pid, std::chrono::milliseconds limit) {
    const auto descriptor = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (descriptor < 0) {
        return errno == ESRCH;  // gone and reaped already
    }
    pollfd exited{descriptor, POLLIN, 0};
    const bool ended = ::poll(&exited, 1, static_cast<int>(limit.count())) == 1;
    if (!ended) {
        ::kill(pid, SIGKILL);
    }
    ::close(descriptor);
    return ended;
}

struct LauncherTest : ::testing::Test {
    PosixProcessLauncher launcher{200ms};

    // Runs `script` in the shell; `argument` becomes its $1.
    ProcessResult run(const std::string& script, std::chrono::milliseconds timeout = 10s,
                      const std::stop_token& stop = {}, const std::string& argument = {}) {
        return launcher.run("/bin/sh", {"-c", script, "sh", argument}, timeout, stop);
    }
};

TEST_F(LauncherTest, ArgumentsStatusAndBothOutputsPassByteForByteUpToTheCapOrTheLaunchFails) {
    const std::string argument = "Bob's \"Big\" \\ Küche\nRadio 🎵 \xff\xfe\xc3";
    const auto result = run("printf %s \"$1\"; printf warn >&2; exit 3",
                            std::chrono::milliseconds::max(), {}, argument);  // no overflow
    EXPECT_EQ(result.ending, ProcessResult::Ending::exited);
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.standardOutput, argument);
    EXPECT_EQ(result.standardError, "warn");

    // A flood on both streams is drained and cut at the cap.
    PosixProcessLauncher capped(200ms, 100'000);
    const auto flood =
        capped.run("/bin/sh", {"-c", "head -c 4194304 /dev/zero | tee /dev/stderr"}, 10s, {});
    EXPECT_EQ(flood.ending, ProcessResult::Ending::exited);
    EXPECT_EQ(flood.standardOutput.size(), 100'000U);
    EXPECT_EQ(flood.standardError.size(), 100'000U);

    EXPECT_THAT([&] { launcher.run("/nonexistent/tool", {}, 1s, {}); },
                ::testing::ThrowsMessage<ProcessLaunchError>(::testing::AllOf(
                    HasSubstr("/nonexistent/tool"), HasSubstr("No such file or directory"))));
    EXPECT_THROW(launcher.run("/etc/hostname", {}, 1s, {}), ProcessLaunchError);  // not executable
}

TEST_F(LauncherTest, TimeOutAndCancellationEndTheWholeGroupEvenWhenTerminationIsIgnored) {
    const auto start = std::chrono::steady_clock::now();
    auto result = run("printf partial; exec sleep 1000", 300ms);
    EXPECT_EQ(result.ending, ProcessResult::Ending::timedOut);
    EXPECT_EQ(result.exitStatus, 128 + SIGTERM);
    EXPECT_EQ(result.standardOutput, "partial");

    result = run("trap '' TERM; exec sleep 1000", 300ms);
    EXPECT_EQ(result.ending, ProcessResult::Ending::timedOut);
    EXPECT_EQ(result.exitStatus, 128 + SIGKILL);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

    // The shell ends at once; the grandchild it leaves holds standard output open.
    result = run("printf done; sleep 1000 & echo $! >&2", 1s);
    EXPECT_EQ(result.ending, ProcessResult::Ending::timedOut);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "done");
    ASSERT_FALSE(result.standardError.empty()) << "the shell did not get to its grandchild";
    EXPECT_TRUE(endsWithin(std::stoi(result.standardError), 2s));

    testing::TemporaryDirectory directory;
    const auto fifo = directory.path() / "ready";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::stop_source stop;
    pid_t grandchild = 0;
    std::thread stopper([&] {
        std::ifstream(fifo) >> grandchild;  // it exists by now
        stop.request_stop();
    });
    result =
        run("sleep 1000 & echo $! > \"$1\"; exec sleep 1000", 60s, stop.get_token(), fifo.string());
    stopper.join();
    EXPECT_EQ(result.ending, ProcessResult::Ending::cancelled);
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(endsWithin(grandchild, 2s));
    EXPECT_FALSE(hasUnreapedChildren());
}

TEST_F(LauncherTest, AChildTheKernelReapsStillEndsTheRun) {
    // Whoever started us may have left SIGCHLD ignored; then nobody can collect the status.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ::sigaction(SIGCHLD, &ignore, &previous);
    const auto result = run("exit 3", 5s);
    EXPECT_EQ(result.ending, ProcessResult::Ending::exited);
    EXPECT_EQ(result.exitStatus, -1);

    resetInheritedSignalDispositions();
    EXPECT_EQ(run("exit 3").exitStatus, 3);
    struct sigaction pipe {};
    ::sigaction(SIGPIPE, nullptr, &pipe);
    EXPECT_EQ(pipe.sa_handler, SIG_IGN);  // a reader that went away is an error, not our end
    ::sigaction(SIGCHLD, &previous, nullptr);
}

TEST_F(LauncherTest, AWatchThatFailsWhileTheChildRunsIsALaunchError) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer runtime needs descriptors of its own while the limit is low";
#endif
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    // The child lowers our open-file limit below what poll needs, then wakes it with output.
    EXPECT_THROW(run("prlimit --pid $PPID --nofile=3: && echo x && exec sleep 1000"),
                 ProcessLaunchError);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_FALSE(hasUnreapedChildren());
}

TEST_F(LauncherTest, TheChildGetsOnlyTheStandardDescriptorsAndNothingLeaks) {
    // A descriptor this process holds without close-on-exec must not reach the child.
    const int stray = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(stray, 3);
    EXPECT_EQ(run("exec ls /proc/self/fd").standardOutput, "0\n1\n2\n3\n");  // 3: the listing
    ::close(stray);

    const auto before = openDescriptorCount();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(launcher.run("/bin/true", {}, 10s, {}).exitStatus, 0);
    }
    EXPECT_EQ(openDescriptorCount(), before);
    EXPECT_FALSE(hasUnreapedChildren());
}

}  // namespace
}  // namespace tonvera
