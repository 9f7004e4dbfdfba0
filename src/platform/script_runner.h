#pragma once

#include <chrono>
#include <stop_token>
#include <string>
#include <vector>

#include "platform/process_launcher.h"

namespace tonvera {

// Runs the selection scripts of the script route.
class ScriptRunner {
  public:
    virtual ~ScriptRunner() = default;

    // The program that runs the scripts, as messages name it ("/bin/sh").
    virtual std::string name() const = 0;

    // Runs `script` with `arguments` handed to it as arguments, never as part of its text, and
    // reports how it ended as ProcessLauncher::run does: terminated when `timeout` passes or
    // `stop` is requested; ProcessLaunchError when the runner cannot be started.
    virtual ProcessResult run(const std::string& script, const std::vector<std::string>& arguments,
                              std::chrono::milliseconds timeout, const std::stop_token& stop) = 0;
};

}  // namespace tonvera
