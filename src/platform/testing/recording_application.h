#pragma once

#include <functional>

#include "platform/application.h"

namespace tonvera::testing {

// Counts what the application was asked to do.
class RecordingApplication final : public Application {
  public:
    void activateIgnoringOtherApps() override { ++activations; }
    void becomeAccessory() override { ++accessoryRequests; }
    void terminate() override {
        ++terminations;
        if (onTerminate) {
            onTerminate();
        }
    }

    std::function<void()> onTerminate;
    int activations = 0;
    int accessoryRequests = 0;
    int terminations = 0;
};

}  // namespace tonvera::testing
