#include "platform/linux/posix_shell_script_runner.h"

#include <utility>

namespace tonvera {

PosixShellScriptRunner::PosixShellScriptRunner(std::shared_ptr<ProcessLauncher> launcher)
    : launcher_(std::move(launcher)) {}

std::string PosixShellScriptRunner::name() const {
    return kShell;
}

ProcessResult PosixShellScriptRunner::run(const std::string& script,
                                          const std::vector<std::string>& arguments,
                                          std::chrono::milliseconds timeout,
                                          const std::stop_token& stop) {
    // The word after the script becomes $0, which the shell puts before its own messages.
    std::vector<std::string> shellArguments{"-c", script, kShell};
    shellArguments.insert(shellArguments.end(), arguments.begin(), arguments.end());
    return launcher_->run(kShell, shellArguments, timeout, stop);
}

}  // namespace tonvera
