#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/process_launcher.h"

namespace tonvera::testing {

// A launcher that starts nothing: it records each call and answers with what the test set.
class ScriptedLauncher final : public ProcessLauncher {
  public:
    struct Call {
        std::string executable;
        std::vector<std::string> arguments;
        std::chrono::milliseconds timeout;
    };

    std::function<ProcessResult()> answer = [] { return ProcessResult{}; };

    ProcessResult run(const std::string& executable, const std::vector<std::string>& arguments,
                      std::chrono::milliseconds timeout, const std::stop_token&) override {
        {
            std::lock_guard lock(mutex_);
            calls_.push_back(Call{executable, arguments, timeout});
        }
        return answer();
    }

    std::vector<Call> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
};

inline ProcessResult exited(int status, std::string out, std::string err = {}) {
    ProcessResult result;
    result.exitStatus = status;
    result.standardOutput = std::move(out);
    result.standardError = std::move(err);
    return result;
}

}  // namespace tonvera::testing
