#pragma once

#include <stop_token>
#include <string>
#include <utility>
#include <vector>

namespace tonvera {

// One output a discovery found, and whether it is the one selected now.
struct DiscoveredOutput {
    std::string name;
    bool selected = false;

    bool operator==(const DiscoveredOutput&) const = default;
};

// Selects and lists the system's audio outputs through its Sound menu. The operations block
// for several hundred milliseconds and must run off the main thread.
//
// Failures are exceptions: an AccessibilityError, an OutputSelectionError (the shell-script
// route), a process-launch error of the script route, or a CancellationError when `stop` was
// requested during a wait.
class AudioOutputSelector {
  public:
    virtual ~AudioOutputSelector() = default;

    // Returns once the output called exactly `name` is selected (or was already); no trimming,
    // no case folding.
    virtual void selectDevice(const std::string& name, std::stop_token stop) = 0;

    // The names of the outputs the Sound menu offers, in menu order; may be empty.
    virtual std::vector<std::string> discoverDevices(std::stop_token stop) = 0;

    // As `discoverDevices`, with the output selected now marked where the route can tell.
    virtual std::vector<DiscoveredOutput> discoverOutputs(const std::stop_token& stop) {
        std::vector<DiscoveredOutput> outputs;
        for (auto& name : discoverDevices(stop)) {
            outputs.push_back(DiscoveredOutput{std::move(name), false});
        }
        return outputs;
    }
};

}  // namespace tonvera
