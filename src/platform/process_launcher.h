#pragma once

#include <chrono>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <vector>

namespace tonvera {

// How a launched process run ended.
struct ProcessResult {
    enum class Ending {
        exited,     // it ended by itself (or by a signal of its own)
        timedOut,   // it outlived the time bound and was terminated
        cancelled,  // the caller's stop token was stopped and it was terminated
    };

    Ending ending = Ending::exited;
    // The exit code, or 128 + the signal number when a signal ended it; -1 when it cannot be
    // known (another party reaped the process).
    int exitStatus = 0;
    // Both outputs as raw bytes, read while the process ran.
    std::string standardOutput;
    std::string standardError;
};

// The executable could not be started at all.
class ProcessLaunchError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Runs other programs and collects what they print.
class ProcessLauncher {
  public:
    virtual ~ProcessLauncher() = default;

    // Runs `executable` (an absolute path) with `arguments` and waits until it has ended and
    // both outputs are closed, or until `timeout` passes or `stop` is requested, in which case
    // it is terminated. It inherits standard input and nothing else of this process but its
    // environment. Throws ProcessLaunchError when the program cannot be started, or cannot be
    // watched while it runs (it is ended then).
    virtual ProcessResult run(const std::string& executable,
                              const std::vector<std::string>& arguments,
                              std::chrono::milliseconds timeout, const std::stop_token& stop) = 0;
};

}  // namespace tonvera
