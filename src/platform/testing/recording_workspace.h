#pragma once

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/workspace.h"

namespace tonvera::testing {

// Records every address it is asked to open and opens only those it is told to.
class RecordingWorkspace final : public Workspace {
  public:
    explicit RecordingWorkspace(std::set<std::string> openable = {})
        : openable_(std::move(openable)) {}

    bool openURL(std::string_view address) override {
        std::lock_guard lock(mutex_);
        opened_.emplace_back(address);
        return openable_.contains(std::string(address));
    }

    std::vector<std::string> opened() const {
        std::lock_guard lock(mutex_);
        return opened_;
    }

  private:
    mutable std::mutex mutex_;
    std::set<std::string> openable_;
    std::vector<std::string> opened_;
};

}  // namespace tonvera::testing
