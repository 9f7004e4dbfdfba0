#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/localizer.h"

namespace tonvera {

// What the command line asks for. Qt's own options (-platform, -display, …) pass through to
// the toolkit; anything else is refused with a message.
struct CommandLine {
    enum class Action { run, showHelp, showVersion, refuse, listOutputs, connect, status };

    // Exit statuses of the commands, as the help and the manual page list them.
    static constexpr int kExitSuccess = 0;
    static constexpr int kExitFailure = 1;
    static constexpr int kExitUsage = 2;
    static constexpr int kExitBusy = 3;
    // --connect ended unfinished: the person chose something else while it ran.
    static constexpr int kExitSuperseded = 4;

    Action action = Action::run;
    LocalizedText error;  // for refuse; "%@" stands for `errorArgument`
    std::string errorArgument;
    std::optional<std::string> outputName;  // for connect; nothing means the preferred output
    bool json = false;                      // for listOutputs and status

    static CommandLine parse(const std::vector<std::string>& arguments);

    // The refusal, or the help, in the user's language.
    std::string errorMessage(const Localizer& localizer) const;
    static std::string helpText(const Localizer& localizer);
};

}  // namespace tonvera
