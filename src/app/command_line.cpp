#include "app/command_line.h"

#include <array>
#include <string_view>
#include <utility>

#include "app/terminal_text.h"
#include "ui/text_format.h"

namespace tonvera {
namespace {

// The toolkit's options that take a value, and those that do not.
constexpr std::array<std::string_view, 12> kToolkitOptionsWithValue = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "display",
    "style",           "stylesheet",         "session",       "name"};
constexpr std::array<std::string_view, 4> kToolkitFlags = {"reverse", "widgetcount", "nograb",
                                                           "dograb"};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& names, std::string_view name) {
    for (const auto candidate : names) {
        if (candidate == name) {
            return true;
        }
    }
    return false;
}

CommandLine refusal(LocalizedText error, std::string argument = {}) {
    CommandLine refused;
    refused.action = CommandLine::Action::refuse;
    refused.error = error;
    refused.errorArgument = std::move(argument);
    return refused;
}

CommandLine oneCommandOnly() {
    return refusal(TONVERA_TRANSLATE("Tonvera",
                                     "choose one of --list-outputs, --connect and --status",
                                     "Command line: two commands given"));
}

}  // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine result;
    // False for a second command: each run does one thing.
    const auto command = [&result](Action action) {
        return std::exchange(result.action, action) == Action::run;
    };
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            return CommandLine{Action::showHelp};
        }
        if (argument == "--version" || argument == "-v") {
            return CommandLine{Action::showVersion};
        }
        if (argument == "--list-outputs" || argument == "--status") {
            if (!command(argument == "--status" ? Action::status : Action::listOutputs)) {
                return oneCommandOnly();
            }
            continue;
        }
        if (argument == "--connect" || argument.starts_with("--connect=")) {
            if (!command(Action::connect)) {
                return oneCommandOnly();
            }
            if (argument.size() > std::string_view("--connect").size()) {
                result.outputName = argument.substr(std::string_view("--connect=").size());
            } else if (i + 1 < arguments.size() && !arguments[i + 1].starts_with('-')) {
                result.outputName = arguments[++i];
            }
            continue;
        }
        if (argument == "--json") {
            result.json = true;
            continue;
        }
        std::string_view name = argument;
        if (name.starts_with("--")) {
            name.remove_prefix(2);
        } else if (name.starts_with('-')) {
            name.remove_prefix(1);
        } else {
            return refusal(TONVERA_TRANSLATE("Tonvera", "unexpected argument '%@'",
                                             "Command line: a word that is no option"),
                           argument);
        }
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            name = name.substr(0, equals);
            if (contains(kToolkitOptionsWithValue, name)) {
                continue;
            }
        } else if (contains(kToolkitOptionsWithValue, name)) {
            if (i + 1 >= arguments.size()) {
                return refusal(TONVERA_TRANSLATE("Tonvera", "option '%@' needs a value",
                                                 "Command line: option without its value"),
                               argument);
            }
            ++i;
            continue;
        } else if (contains(kToolkitFlags, name)) {
            continue;
        }
        return refusal(
            TONVERA_TRANSLATE("Tonvera", "unknown option '%@'", "Command line: unknown option"),
            argument);
    }
    if (result.json && result.action != Action::listOutputs && result.action != Action::status) {
        return refusal(TONVERA_TRANSLATE("Tonvera", "--json goes with --list-outputs or --status",
                                         "Command line: --json with another command"));
    }
    return result;
}

std::string CommandLine::errorMessage(const Localizer& localizer) const {
    return formatText(localizer.localized(error), {terminalText(errorArgument)});
}

std::string CommandLine::helpText(const Localizer& localizer) {
    return localizer.localized(TONVERA_TRANSLATE(
        "Tonvera",
        "Usage: tonvera [--help] [--version]\n"
        "       tonvera --list-outputs [--json]\n"
        "       tonvera --connect [NAME]\n"
        "       tonvera --status [--json]\n"
        "\n"
        "Keeps your computer's sound on your preferred output: Tonvera remembers the\n"
        "output's name and selects it again after every wake and, if you want, at login.\n"
        "It lives in the system tray; start it again to open its settings.\n"
        "\n"
        "  -h, --help        show this help and exit\n"
        "  -v, --version     show the version and exit\n"
        "  --list-outputs    list the outputs by name, one a line; '* ' marks the one\n"
        "                    selected now, two spaces the others\n"
        "  --connect [NAME]  select NAME now, with the usual retries, as your own pick:\n"
        "                    it holds until the next wake, login or Connect now; the\n"
        "                    preferred output stays as it is. Without NAME: Connect\n"
        "                    now, the ranking decides (an output ranked above the\n"
        "                    preferred one that is there, the preferred output, then\n"
        "                    its list) and an earlier pick by hand ends. A running\n"
        "                    Tonvera does the work, else this command\n"
        "  --status          the ranking (the outputs above the preferred one, the\n"
        "                    preferred output, its list), the current output and its\n"
        "                    place, the automatic switches and whether Tonvera runs\n"
        "  --json            --list-outputs and --status as JSON\n"
        "\n"
        "Exit status: 0 done (for --connect: the output is selected); 1 failed (no sound\n"
        "server, output not selected, the running Tonvera did not answer); 2 wrong usage;\n"
        "3 --connect refused because a reconnect is already under way; 4 --connect\n"
        "stopped because something else was asked for meanwhile.\n"
        "\n"
        "Settings: $XDG_CONFIG_HOME/tonvera/settings.json (default ~/.config/tonvera)\n",
        "Command line: --help"));
}

}  // namespace tonvera
