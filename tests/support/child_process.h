#pragma once

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tonvera::testing {

// A process that runs beside a test (a server, a bus daemon, the application): its standard
// output, and standard error too when asked, on a pipe; killed and reaped when the object goes.
class ChildProcess {
  public:
    // An empty `environment` passes on this process's own.
    explicit ChildProcess(const std::vector<std::string>& command,
                          std::vector<std::string> environment = {}, bool withErrors = false) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        if (withErrors) {
            posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
        }
        std::vector<std::string> argv = command;
        const int error =
            ::posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, pointers(argv).data(),
                          environment.empty() ? environ : pointers(environment).data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
        if (error != 0) {
            ::close(ends[0]);
            throw std::runtime_error("cannot start " + command.front());
        }
        output_ = ends[0];
    }

    ~ChildProcess() {
        if (!status_) {
            signal(SIGKILL);
            wait(std::chrono::hours(1));
        }
        ::close(output_);
    }

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line the process printed, without its line feed; nothing at end of output.
    std::optional<std::string> nextLine() const {
        std::string line;
        char c = 0;
        ssize_t got = 0;
        while ((got = ::read(output_, &c, 1)) == 1 && c != '\n') {
            line.push_back(c);
        }
        return got == 1 || !line.empty() ? std::optional(line) : std::nullopt;
    }
    std::string readLine() const { return nextLine().value_or(""); }

    pid_t pid() const { return pid_; }
    void signal(int number) const { ::kill(pid_, number); }

    // The exit status (128 + signal when killed), or nothing when it did not end in time.
    std::optional<int> wait(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!status_) {
            int raw = 0;
            if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            } else if (std::chrono::steady_clock::now() >= deadline) {
                return std::nullopt;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        return status_;
    }

  private:
    static std::vector<char*> pointers(std::vector<std::string>& strings) {
        std::vector<char*> result;
        for (auto& string : strings) {
            result.push_back(string.data());
        }
        result.push_back(nullptr);
        return result;
    }

    pid_t pid_ = -1;
    int output_ = -1;
    std::optional<int> status_;
};

}  // namespace tonvera::testing
