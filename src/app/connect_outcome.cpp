#include "app/connect_outcome.h"

#include <array>
#include <utility>

#include "app/command_line.h"

namespace tonvera::connect_outcome {
namespace {

using Status = ReconnectResult::Status;

constexpr std::array<std::pair<Status, std::string_view>, 6> kWords = {{
    {Status::selected, "selected"},
    {Status::notAvailable, "not-available"},
    {Status::permissionMissing, "permission-missing"},
    {Status::alreadyRunning, "already-running"},
    {Status::noDevice, "no-device"},
    {Status::cancelled, "cancelled"},
}};

}  // namespace

std::string_view word(Status status) {
    for (const auto& [candidate, text] : kWords) {
        if (candidate == status) {
            return text;
        }
    }
    return "not-available";
}

std::optional<Status> fromWord(std::string_view text) {
    for (const auto& [status, candidate] : kWords) {
        if (candidate == text) {
            return status;
        }
    }
    return std::nullopt;
}

std::string describe(const std::string& name, const ReconnectResult& result) {
    const std::string reason = result.error.empty() ? "" : ": " + result.error;
    switch (result.status) {
        case Status::selected:
            return "Selected " + name;
        case Status::notAvailable:
            return "Could not select " + name + reason;
        case Status::permissionMissing:
            return "Could not select " + name + ": " +
                   (result.error.empty() ? "the permission to work the Sound menu is missing"
                                         : result.error);
        case Status::alreadyRunning:
            return "Not now: a reconnect is already under way; try again when it is over";
        case Status::noDevice:
            return "No output to select: give a name or choose a preferred output in the settings";
        case Status::cancelled:
            return "Tonvera is quitting; nothing was selected";
    }
    return "Could not select " + name + reason;
}

int exitStatus(Status status) {
    switch (status) {
        case Status::selected:
            return CommandLine::kExitSuccess;
        case Status::alreadyRunning:
            return CommandLine::kExitBusy;
        default:
            return CommandLine::kExitFailure;
    }
}

}  // namespace tonvera::connect_outcome
