#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "selection/audio_output_selector.h"
#include "selection/selector_factory.h"

namespace tonvera {

// What a discovery found, and by which route.
struct OutputDiscovery {
    std::vector<DiscoveredOutput> outputs;
    // The native route answered; the script route may know no selection state, and its empty
    // answer says nothing.
    bool fromNative = true;

    std::vector<std::string> names() const;
};

// The outputs as every part of the application lists them: the native route first with fresh
// selectors; when it fails its error is dropped, and the script route's answer, or its error
// (an exception), stands. Blocks; belongs on a background task.
OutputDiscovery discoverOutputs(const SelectorFactory& selectors, const std::stop_token& stop);

}  // namespace tonvera
