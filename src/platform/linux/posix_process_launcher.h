#pragma once

#include <chrono>
#include <cstddef>

#include "platform/process_launcher.h"

namespace tonvera {

// posix_spawn with a poll loop that drains both pipes while the child runs (so a child that
// fills a pipe never deadlocks), watches the child through a process descriptor, and ends
// the child's whole process group on time-out or cancellation: SIGTERM, then SIGKILL after a
// grace period. The child gets only the three standard descriptors; nothing is leaked, and
// the child is reaped before run returns. When this process ignores SIGCHLD, the kernel reaps
// the child itself: run still ends when the child does, but its exit status is lost (-1).
class PosixProcessLauncher final : public ProcessLauncher {
  public:
    // What a single output may hold by default; anything beyond is read and discarded.
    static constexpr std::size_t kMaxOutputBytes = 64UL * 1024 * 1024;

    explicit PosixProcessLauncher(
        std::chrono::milliseconds terminationGrace = std::chrono::seconds(2),
        std::size_t maxOutputBytes = kMaxOutputBytes)
        : terminationGrace_(terminationGrace), maxOutputBytes_(maxOutputBytes) {}

    ProcessResult run(const std::string& executable, const std::vector<std::string>& arguments,
                      std::chrono::milliseconds timeout, const std::stop_token& stop) override;

  private:
    std::chrono::milliseconds terminationGrace_;
    std::size_t maxOutputBytes_;
};

}  // namespace tonvera
