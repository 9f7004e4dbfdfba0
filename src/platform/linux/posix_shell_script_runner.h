#pragma once

#include <memory>

#include "platform/process_launcher.h"
#include "platform/script_runner.h"

namespace tonvera {

// Runs scripts with the POSIX shell: `/bin/sh -c <script> /bin/sh <arguments…>`, so the
// arguments arrive as $1, $2, … and no byte of them is ever read as shell code.
class PosixShellScriptRunner final : public ScriptRunner {
  public:
    static constexpr const char* kShell = "/bin/sh";

    explicit PosixShellScriptRunner(std::shared_ptr<ProcessLauncher> launcher);

    std::string name() const override;
    ProcessResult run(const std::string& script, const std::vector<std::string>& arguments,
                      std::chrono::milliseconds timeout, const std::stop_token& stop) override;

  private:
    std::shared_ptr<ProcessLauncher> launcher_;
};

}  // namespace tonvera
