#include "platform/linux/posix_process_launcher.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <system_error>

#include <fcntl.h>
#include <fmt/format.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/unique_fd.h"

namespace tonvera {
namespace {

using Clock = std::chrono::steady_clock;

std::string errorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// RAII for the spawn attribute objects.
struct SpawnSetup {
    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

int decodeStatus(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}

// Reads what is available; returns false at end of file or on a hard error.
bool drain(int fd, std::string& sink) {
    std::array<char, 65536> buffer{};
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got < 0) {
        return errno == EINTR || errno == EAGAIN;
    }
    if (got == 0) {
        return false;
    }
    const auto room = PosixProcessLauncher::kMaxOutputBytes -
                      std::min(sink.size(), PosixProcessLauncher::kMaxOutputBytes);
    sink.append(buffer.data(), std::min(static_cast<std::size_t>(got), room));
    return true;
}

int pollTimeout(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<std::int64_t>(left, 0, 60'000));
}

}  // namespace

ProcessResult PosixProcessLauncher::run(const std::string& executable,
                                        const std::vector<std::string>& arguments,
                                        std::chrono::milliseconds timeout,
                                        const std::stop_token& stop) {
    std::array<int, 2> outPipe{};
    std::array<int, 2> errPipe{};
    if (::pipe2(outPipe.data(), O_CLOEXEC) != 0) {
        throw ProcessLaunchError(
            fmt::format("Could not start {}: {}", executable, errorText(errno)));
    }
    UniqueFd outRead(outPipe[0]);
    UniqueFd outWrite(outPipe[1]);
    if (::pipe2(errPipe.data(), O_CLOEXEC) != 0) {
        throw ProcessLaunchError(
            fmt::format("Could not start {}: {}", executable, errorText(errno)));
    }
    UniqueFd errRead(errPipe[0]);
    UniqueFd errWrite(errPipe[1]);

    SpawnSetup setup;
    posix_spawn_file_actions_adddup2(&setup.actions, outWrite.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&setup.actions, errWrite.get(), STDERR_FILENO);
    // Whatever this process has open beyond the standard streams stays here.
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3);
    // A group of its own, so a time-out ends the children it started too; and a clean signal
    // state, whatever this process blocks or ignores.
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t defaults;
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);  // neither can be changed, so neither needs resetting
    sigdelset(&defaults, SIGSTOP);
    posix_spawnattr_setflags(
        &setup.attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&setup.attributes, 0);
    posix_spawnattr_setsigmask(&setup.attributes, &noSignals);
    posix_spawnattr_setsigdefault(&setup.attributes, &defaults);

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    if (const int error = ::posix_spawn(&pid, executable.c_str(), &setup.actions, &setup.attributes,
                                        argv.data(), environ);
        error != 0) {
        throw ProcessLaunchError(
            fmt::format("Could not start {}: {}", executable, errorText(error)));
    }
    outWrite.reset();
    errWrite.reset();

    ProcessResult result;
    int status = 0;
    bool reaped = false;
    const auto reap = [&](int flags) {
        if (!reaped && ::waitpid(pid, &status, flags) == pid) {
            reaped = true;
        }
    };

    UniqueFd processFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    UniqueFd stopFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    std::stop_callback onStop(stop, [&stopFd] {
        const std::uint64_t one = 1;
        // Nothing to do when it fails: a full counter wakes the loop as well.
        [[maybe_unused]] const ssize_t written = ::write(stopFd.get(), &one, sizeof one);
    });

    const auto deadline = Clock::now() + timeout;
    if (!processFd.valid() || !stopFd.valid()) {
        // Without them there is no safe way to bound the wait: end the child now and say so.
        const int error = errno;
        ::kill(-pid, SIGKILL);
        reap(0);
        throw ProcessLaunchError(
            fmt::format("Could not watch {} after starting it: {}", executable, errorText(error)));
    }
    while (result.ending == ProcessResult::Ending::exited &&
           (outRead.valid() || errRead.valid() || !reaped)) {
        if (stop.stop_requested()) {
            result.ending = ProcessResult::Ending::cancelled;
            break;
        }
        const int wait = pollTimeout(deadline);
        if (wait == 0) {
            result.ending = ProcessResult::Ending::timedOut;
            break;
        }
        std::array<pollfd, 4> watched{{
            {outRead.get(), POLLIN, 0},
            {errRead.get(), POLLIN, 0},
            {reaped ? -1 : processFd.get(), POLLIN, 0},
            {stopFd.get(), POLLIN, 0},
        }};
        if (::poll(watched.data(), watched.size(), wait) < 0 && errno != EINTR) {
            result.ending = ProcessResult::Ending::cancelled;
            break;
        }
        if (watched[0].revents != 0 && !drain(outRead.get(), result.standardOutput)) {
            outRead.reset();
        }
        if (watched[1].revents != 0 && !drain(errRead.get(), result.standardError)) {
            errRead.reset();
        }
        if (watched[2].revents != 0) {
            reap(WNOHANG);
        }
    }

    if (result.ending != ProcessResult::Ending::exited) {
        ::kill(-pid, SIGTERM);
        if (!reaped && processFd.valid()) {
            pollfd exited{processFd.get(), POLLIN, 0};
            ::poll(&exited, 1, static_cast<int>(terminationGrace_.count()));
        }
        reap(WNOHANG);
        ::kill(-pid, SIGKILL);
        reap(0);
    }
    result.exitStatus = decodeStatus(status);
    return result;
}

}  // namespace tonvera
