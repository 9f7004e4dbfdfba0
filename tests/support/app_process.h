#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
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

namespace tonvera::testing {

// The real tonvera binary, started with an environment of the test's making. Its standard
// output and error are collected line by line; the test waits for lines instead of sleeping.
class AppProcess {
  public:
    AppProcess(const std::string& binary, const std::map<std::string, std::string>& environment,
               std::vector<std::string> arguments = {}) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
        std::vector<std::string> argv{binary};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<std::string> env;
        for (const auto& [name, value] : environment) {
            env.push_back(name + "=" + value);
        }
        const int error = ::posix_spawn(&pid_, binary.c_str(), &actions, nullptr,
                                        pointers(argv).data(), pointers(env).data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
        if (error != 0) {
            ::close(ends[0]);
            throw std::runtime_error("cannot start " + binary);
        }
        reader_ = std::thread([this, fd = ends[0]] { read(fd); });
    }

    ~AppProcess() {
        if (!status_) {
            ::kill(pid_, SIGKILL);
            wait(std::chrono::seconds(10));
        }
        reader_.join();
    }

    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    // Waits until a line containing `text` appears (counting earlier ones); false on time-out.
    bool waitForLine(const std::string& text, std::chrono::milliseconds limit,
                     std::size_t occurrence = 1) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return count(text) >= occurrence; });
    }

    std::size_t countLines(const std::string& text) {
        std::lock_guard lock(mutex_);
        return count(text);
    }

    std::string output() {
        std::lock_guard lock(mutex_);
        std::string all;
        for (const auto& line : lines_) {
            all += line + "\n";
        }
        return all;
    }

    void signal(int number) const { ::kill(pid_, number); }

    // The exit status (128 + signal when killed), or nothing when it did not end in time.
    std::optional<int> wait(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!status_) {
            int raw = 0;
            const pid_t done = ::waitpid(pid_, &raw, WNOHANG);
            if (done == pid_) {
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            } else if (std::chrono::steady_clock::now() >= deadline) {
                return std::nullopt;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
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

    std::size_t count(const std::string& text) const {
        std::size_t found = 0;
        for (const auto& line : lines_) {
            found += line.find(text) != std::string::npos ? 1 : 0;
        }
        return found;
    }

    void read(int fd) {
        std::string partial;
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
            std::lock_guard lock(mutex_);
            for (ssize_t i = 0; i < got; ++i) {
                if (buffer[i] == '\n') {
                    lines_.push_back(std::move(partial));
                    partial.clear();
                } else {
                    partial.push_back(buffer[i]);
                }
            }
            changed_.notify_all();
        }
        ::close(fd);
    }

    pid_t pid_ = -1;
    std::optional<int> status_;
    std::thread reader_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
};

}  // namespace tonvera::testing
