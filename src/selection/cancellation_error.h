#pragma once

#include <exception>

namespace tonvera {

// The calling task was asked to stop while a selector waited.
class CancellationError final : public std::exception {
  public:
    const char* what() const noexcept override { return "The operation was cancelled."; }
};

}  // namespace tonvera
