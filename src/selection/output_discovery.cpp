#include "selection/output_discovery.h"

namespace tonvera {

std::vector<std::string> OutputDiscovery::names() const {
    std::vector<std::string> names;
    names.reserve(outputs.size());
    for (const auto& output : outputs) {
        names.push_back(output.name);
    }
    return names;
}

OutputDiscovery discoverOutputs(const SelectorFactory& selectors, const std::stop_token& stop) {
    try {
        return OutputDiscovery{selectors.makeNative()->discoverOutputs(stop), true};
    } catch (...) {
    }
    return OutputDiscovery{selectors.makeScript()->discoverOutputs(stop), false};
}

}  // namespace tonvera
