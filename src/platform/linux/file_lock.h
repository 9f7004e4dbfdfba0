#pragma once

#include <filesystem>
#include <system_error>

#include "platform/linux/unique_fd.h"

namespace tonvera {

// An exclusive lock on a file (flock), held while the object lives. The kernel releases it
// when the process ends however it ends, so a crash leaves no stale lock behind. The file
// itself stays: removing it would let a later start lock a new file while an earlier one
// still holds the old.
class FileLock {
  public:
    enum class State {
        held,         // this object holds the lock
        heldByOther,  // another process holds it
        failed,       // the file cannot be opened or locked; `error` says why
    };

    // Creates the file (user-only) when missing and tries once, without waiting.
    static FileLock tryTake(const std::filesystem::path& path);

    State state() const { return state_; }
    const std::error_code& error() const { return error_; }

  private:
    FileLock(State state, std::error_code error, UniqueFd file)
        : state_(state), error_(error), file_(std::move(file)) {}

    State state_;
    std::error_code error_;
    UniqueFd file_;
};

}  // namespace tonvera
