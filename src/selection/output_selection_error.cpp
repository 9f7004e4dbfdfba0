#include "selection/output_selection_error.h"

#include <algorithm>
#include <utility>

#include <fmt/format.h>

namespace tonvera {
namespace {

// The text is one line wherever it is shown: in the log, on the command line and in the
// running instance's one-line answer to it.
std::string oneLine(std::string text) {
    std::ranges::replace(text, '\n', ' ');
    return text;
}

}  // namespace

OutputSelectionError::OutputSelectionError(Cause cause, std::string description,
                                           std::vector<std::string> available)
    : cause_(cause), description_(std::move(description)), available_(std::move(available)) {}

OutputSelectionError OutputSelectionError::noSoundServer() {
    return {Cause::noSoundServer,
            "no sound server answers (is PulseAudio or PipeWire running in this session?)"};
}

OutputSelectionError OutputSelectionError::notFound(const std::string& name,
                                                    std::vector<std::string> available) {
    const std::string there = available.empty()
                                  ? std::string("the sound server has no outputs")
                                  : fmt::format("the outputs are {}", fmt::join(available, ", "));
    return {Cause::notFound, oneLine(fmt::format("no output is named \"{}\"; {}", name, there)),
            std::move(available)};
}

OutputSelectionError OutputSelectionError::timedOut(const std::string& runner,
                                                    std::chrono::milliseconds bound) {
    return {Cause::timedOut, fmt::format("the selection script ({}) did not finish within {} s",
                                         runner, std::chrono::duration<double>(bound).count())};
}

OutputSelectionError OutputSelectionError::failed(std::string message) {
    return {Cause::failed, oneLine(std::move(message))};
}

}  // namespace tonvera
