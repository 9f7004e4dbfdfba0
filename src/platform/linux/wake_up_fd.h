#pragma once

#include <cstdint>

#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/linux/unique_fd.h"

namespace tonvera {

// A descriptor that a poll() watches to be cut short from another thread (a stop request).
// Once signalled it stays readable; it is meant for one wait that ends for good.
class WakeUpFd {
  public:
    WakeUpFd() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

    bool valid() const { return fd_.valid(); }
    int get() const { return fd_.get(); }

    // Callable from any thread, also from a stop callback.
    void signal() const {
        const std::uint64_t one = 1;
        // Nothing to do when it fails: a full counter wakes the waiter as well.
        [[maybe_unused]] const ssize_t written = ::write(fd_.get(), &one, sizeof one);
    }

  private:
    UniqueFd fd_;
};

}  // namespace tonvera
