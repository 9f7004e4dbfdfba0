#pragma once

#include <string>
#include <vector>

namespace tonvera {

// What the command line asks for. Qt's own options (-platform, -display, …) pass through to
// the toolkit; anything else is refused with a message.
struct CommandLine {
    enum class Action { run, showHelp, showVersion, refuse };

    Action action = Action::run;
    std::string error;  // for refuse

    static CommandLine parse(const std::vector<std::string>& arguments);

    static std::string helpText();
};

}  // namespace tonvera
