#include "platform/linux/posix_process_launcher.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <shared_mutex>

#include <fcntl.h>
#include <fmt/format.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/environment_lock.h"
#include "platform/linux/errno_text.h"
#include "platform/linux/unique_fd.h"
#include "platform/linux/wake_up_fd.h"

namespace tonvera {
namespace {

using Clock = std::chrono::steady_clock;

// waitid's "wait on a process descriptor" (Linux 5.4), not yet named by this C library.
constexpr auto kWaitOnPidfd = static_cast<idtype_t>(3);

// The C library's own pidfd_open lacks C linkage in its header here; the system call is the same.
int openProcessDescriptor(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
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

// The started child, watched through its process descriptor.
struct Child {
    pid_t pid = -1;
    UniqueFd descriptor;
    bool ended = false;
    int status = -1;  // unknown until collected

    // Collects the exit once the child has ended, waiting for it when `block` is set; true once
    // it has ended. A child that someone else reaped (the kernel does when SIGCHLD is ignored)
    // has ended too, its status unknown.
    bool collect(bool block) {
        while (!ended) {
            siginfo_t info{};
            const int flags = WEXITED | (block ? 0 : WNOHANG);
            const int waited =
                descriptor.valid()
                    ? ::waitid(kWaitOnPidfd, static_cast<id_t>(descriptor.get()), &info, flags)
                    : ::waitid(P_PID, static_cast<id_t>(pid), &info, flags);
            if (waited == 0) {
                if (info.si_pid == 0) {
                    return false;  // still running
                }
                ended = true;
                status = info.si_code == CLD_EXITED ? info.si_status : 128 + info.si_status;
            } else if (errno != EINTR) {
                ended = true;  // ECHILD: gone, and its status with it
            }
        }
        return true;
    }

    // Waits up to `limit` for the child to end.
    void awaitEnd(std::chrono::milliseconds limit) {
        const auto until = Clock::now() + limit;
        while (!collect(false)) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
            pollfd exited{descriptor.get(), POLLIN, 0};
            if (left.count() <= 0 ||
                (::poll(&exited, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)) {
                return;
            }
        }
    }
};

// Reads what is available into `sink`, keeping at most `cap` bytes; false at end of file or on
// a hard error.
bool drain(int fd, std::string& sink, std::size_t cap) {
    std::array<char, 65536> buffer{};
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got < 0) {
        return errno == EINTR || errno == EAGAIN;
    }
    if (got == 0) {
        return false;
    }
    const auto room = cap - std::min(sink.size(), cap);
    sink.append(buffer.data(), std::min(static_cast<std::size_t>(got), room));
    return true;
}

// Now plus `timeout`, saturated at the end of time.
Clock::time_point deadlineAfter(std::chrono::milliseconds timeout) {
    const auto now = Clock::now();
    if (timeout >=
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::time_point::max() - now)) {
        return Clock::time_point::max();
    }
    return now + timeout;
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
            fmt::format("Could not start {}: {}", executable, errnoText(errno)));
    }
    UniqueFd outRead(outPipe[0]);
    UniqueFd outWrite(outPipe[1]);
    if (::pipe2(errPipe.data(), O_CLOEXEC) != 0) {
        throw ProcessLaunchError(
            fmt::format("Could not start {}: {}", executable, errnoText(errno)));
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
    // The child is handed the environment as it is at this moment.
    std::shared_lock environment(environmentLock());
    if (const int error = ::posix_spawn(&pid, executable.c_str(), &setup.actions, &setup.attributes,
                                        argv.data(), environ);
        error != 0) {
        throw ProcessLaunchError(
            fmt::format("Could not start {}: {}", executable, errnoText(error)));
    }
    environment.unlock();
    outWrite.reset();
    errWrite.reset();

    ProcessResult result;
    Child child{pid, UniqueFd(openProcessDescriptor(pid))};
    const auto giveUp = [&](const char* when, int error) {
        ::kill(-pid, SIGKILL);
        child.collect(true);
        return ProcessLaunchError(
            fmt::format("Could not watch {} {}: {}", executable, when, errnoText(error)));
    };
    if (!child.descriptor.valid()) {
        if (errno != ESRCH) {
            // Without it there is no safe way to bound the wait: end the child now and say so.
            throw giveUp("after starting it", errno);
        }
        child.ended = true;  // already ended and reaped by the kernel (SIGCHLD ignored)
    }
    WakeUpFd stopped;
    if (!stopped.valid()) {
        throw giveUp("after starting it", errno);
    }
    const std::stop_callback onStop(stop, [&stopped] { stopped.signal(); });
    const auto deadline = deadlineAfter(timeout);
    while (result.ending == ProcessResult::Ending::exited &&
           (outRead.valid() || errRead.valid() || !child.ended)) {
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
            {child.ended ? -1 : child.descriptor.get(), POLLIN, 0},
            {stopped.get(), POLLIN, 0},
        }};
        if (::poll(watched.data(), watched.size(), wait) < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw giveUp("while it ran", errno);
        }
        if (watched[0].revents != 0 &&
            !drain(outRead.get(), result.standardOutput, maxOutputBytes_)) {
            outRead.reset();
        }
        if (watched[1].revents != 0 &&
            !drain(errRead.get(), result.standardError, maxOutputBytes_)) {
            errRead.reset();
        }
        if (watched[2].revents != 0) {
            child.collect(false);
        }
    }

    if (result.ending != ProcessResult::Ending::exited) {
        // The whole group: children the program started go with it.
        ::kill(-pid, SIGTERM);
        child.awaitEnd(terminationGrace_);
        ::kill(-pid, SIGKILL);
        child.collect(true);
    }
    result.exitStatus = child.status;
    return result;
}

}  // namespace tonvera
