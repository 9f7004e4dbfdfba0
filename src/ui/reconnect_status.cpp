#include "ui/reconnect_status.h"

#include "ui/text_format.h"

namespace tonvera {

std::optional<StatusLine> reconnectStatusLine(const Localizer& localizer, const std::string& name,
                                              const ReconnectResult& result) {
    using Status = ReconnectResult::Status;
    const auto line = [&](const LocalizedText& text, StatusKind kind) {
        return StatusLine{formatText(localizer.localized(text), {name}), kind};
    };
    switch (result.status) {
        case Status::selected:
            if (result.fromList()) {
                return StatusLine{
                    formatText(localizer.localized(TONVERA_TRANSLATE(
                                   "Tonvera", "“%@” is not there; the sound now plays on “%@”.",
                                   "Window: connect selected an entry of the list")),
                               {name, result.output}),
                    StatusKind::done};
            }
            // An output ranked above the one asked for, when it is there.
            return StatusLine{formatText(localizer.localized(TONVERA_TRANSLATE(
                                             "Tonvera", "The sound now plays on “%@”.",
                                             "Window: connect selected")),
                                         {result.output.empty() ? name : result.output}),
                              StatusKind::done};
        case Status::notAvailable:
            // The selectors' own texts name their inner workings; the log keeps them.
            return line(TONVERA_TRANSLATE(
                            "Tonvera",
                            "Could not switch to “%@”. Is it on and connected? The log says more.",
                            "Window: connect failed"),
                        StatusKind::error);
        case Status::permissionMissing:
            return line(
                TONVERA_TRANSLATE("Tonvera", "Could not switch to “%@”: the permission is missing.",
                                  "Window: connect without permission"),
                StatusKind::error);
        case Status::alreadyRunning:
            return line(TONVERA_TRANSLATE(
                            "Tonvera", "A connect is under way already; try again when it is over.",
                            "Window: connect refused, busy"),
                        StatusKind::notice);
        case Status::noDevice:
            return line(TONVERA_TRANSLATE("Tonvera", "Enter the name of an output first.",
                                          "Window: connect refused, no name"),
                        StatusKind::notice);
        case Status::superseded:
            return line(
                TONVERA_TRANSLATE("Tonvera", "Stopped: another output was chosen meanwhile.",
                                  "Window: connect ended by a pick"),
                StatusKind::notice);
        case Status::cancelled:
            break;
    }
    return std::nullopt;
}

}  // namespace tonvera
