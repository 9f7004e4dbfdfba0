#include "app/connect_outcome.h"

#include <array>
#include <utility>

#include "app/command_line.h"
#include "ui/text_format.h"

namespace tonvera::connect_outcome {
namespace {

using Status = ReconnectResult::Status;

constexpr std::array<std::pair<Status, std::string_view>, 7> kWords = {{
    {Status::selected, "selected"},
    {Status::notAvailable, "not-available"},
    {Status::permissionMissing, "permission-missing"},
    {Status::alreadyRunning, "already-running"},
    {Status::noDevice, "no-device"},
    {Status::cancelled, "cancelled"},
    {Status::superseded, "superseded"},
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

std::string describe(const Localizer& localizer, const std::string& name,
                     const ReconnectResult& result) {
    const auto text = [&localizer, &name](const LocalizedText& format,
                                          const std::string& detail = {}) {
        return formatText(localizer.localized(format), {name, detail});
    };
    const auto couldNot = [&](const std::string& reason) {
        return reason.empty() ? text(TONVERA_TRANSLATE("Tonvera", "Could not select %@",
                                                       "Command line: connect failed"))
                              : text(TONVERA_TRANSLATE("Tonvera", "Could not select %1$@: %2$@",
                                                       "Command line: connect failed, reason"),
                                     reason);
    };
    switch (result.status) {
        case Status::selected:
            if (result.fromList()) {
                return formatText(
                    localizer.localized(TONVERA_TRANSLATE(
                        "Tonvera", "%1$@ is not there: selected %2$@ (entry %3$@ of the list)",
                        "Command line: connect selected an entry of the list")),
                    {name, result.output, std::to_string(result.place.number)});
            }
            // Connect now found an output the person ranks higher: the line names it, not the
            // preferred output that was asked for.
            if (result.place.section == RankPlace::Section::above) {
                return text(TONVERA_TRANSLATE("Tonvera", "Selected %2$@, which ranks above %1$@",
                                              "Command line: connect selected a higher output"),
                            result.output);
            }
            return text(TONVERA_TRANSLATE("Tonvera", "Selected %@", "Command line: connect done"));
        case Status::notAvailable:
            return couldNot(result.error);
        case Status::permissionMissing:
            return couldNot(!result.error.empty()
                                ? result.error
                                : localizer.localized(TONVERA_TRANSLATE(
                                      "Tonvera", "the permission to switch outputs is missing",
                                      "Command line: connect failed for want of permission")));
        case Status::alreadyRunning:
            return text(TONVERA_TRANSLATE(
                "Tonvera", "Not now: a reconnect is already under way; try again when it is over",
                "Command line: connect refused"));
        case Status::noDevice:
            return text(TONVERA_TRANSLATE(
                "Tonvera",
                "No output to select: give a name or choose a preferred output in the settings",
                "Command line: connect without a name"));
        case Status::cancelled:
            return text(TONVERA_TRANSLATE("Tonvera", "Tonvera is quitting; nothing was selected",
                                          "Command line: connect cancelled"));
        case Status::superseded:
            return result.output.empty()
                       ? text(TONVERA_TRANSLATE("Tonvera",
                                                "Stopped before selecting %@: meanwhile Connect "
                                                "now or a wake left the choice to the ranking",
                                                "Command line: connect ended by the ranking"))
                       : formatText(localizer.localized(TONVERA_TRANSLATE(
                                        "Tonvera",
                                        "Stopped before selecting %1$@: %2$@ was chosen meanwhile",
                                        "Command line: connect ended by a pick")),
                                    {name, result.output});
    }
    return couldNot(result.error);
}

int exitStatus(Status status) {
    switch (status) {
        case Status::selected:
            return CommandLine::kExitSuccess;
        case Status::alreadyRunning:
            return CommandLine::kExitBusy;
        case Status::superseded:
            return CommandLine::kExitSuperseded;
        default:
            return CommandLine::kExitFailure;
    }
}

}  // namespace tonvera::connect_outcome
