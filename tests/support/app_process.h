#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"

namespace tonvera::testing {

// The real tonvera binary, started with an environment of the test's making. Its standard
// output and error are collected line by line; the test waits for lines instead of sleeping.
class AppProcess : public ChildProcess {
  public:
    AppProcess(const std::string& binary, std::vector<std::string> environment)
        : ChildProcess({binary}, std::move(environment), true) {}

    ~AppProcess() {
        if (!wait(std::chrono::milliseconds(0))) {
            signal(SIGKILL);
        }
        reader_.join();
    }

    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    // Waits until a line containing `text` appears (earlier ones count); false on time-out.
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

  private:
    std::size_t count(const std::string& text) const {
        std::size_t found = 0;
        for (const auto& line : lines_) {
            found += line.find(text) != std::string::npos ? 1 : 0;
        }
        return found;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
    std::thread reader_{[this] {
        while (auto line = nextLine()) {
            std::lock_guard lock(mutex_);
            lines_.push_back(std::move(*line));
            changed_.notify_all();
        }
    }};
};

}  // namespace tonvera::testing
