#pragma once

#include <chrono>
#include <cstddef>

#include "platform/process_launcher.h"

namespace tonvera {

// posix_spawn with a poll loop that drains both pipes while the child runs (so a child that
// fills a pipe never deadlocks), watches the child through a process descriptor, and ends
// the child's whole process group on time-out or cancellation: SIGTERM, then SIGKILL after a
// grace period. The child gets only the three standard descriptors; nothing is leaked and
// every child is reaped before run returns.
class PosixProcessLauncher final : public ProcessLauncher {
  public:
    // What a single output may hold; anything beyond is read and discarded.
    static constexpr std::size_t kMaxOutputBytes = 64UL * 1024 * 1024;

    explicit PosixProcessLauncher(
        std::chrono::milliseconds terminationGrace = std::chrono::seconds(2))
        : terminationGrace_(terminationGrace) {}

    ProcessResult run(const std::string& executable, const std::vector<std::string>& arguments,
                      std::chrono::milliseconds timeout, const std::stop_token& stop) override;

  private:
    std::chrono::milliseconds terminationGrace_;
};

}  // namespace tonvera
