#include "app/command_line.h"

#include <array>
#include <string_view>

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

}  // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine result;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            return CommandLine{Action::showHelp, {}};
        }
        if (argument == "--version" || argument == "-v") {
            return CommandLine{Action::showVersion, {}};
        }
        std::string_view name = argument;
        if (name.starts_with("--")) {
            name.remove_prefix(2);
        } else if (name.starts_with('-')) {
            name.remove_prefix(1);
        } else {
            return CommandLine{Action::refuse, "unexpected argument '" + argument + "'"};
        }
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            name = name.substr(0, equals);
            if (contains(kToolkitOptionsWithValue, name)) {
                continue;
            }
        } else if (contains(kToolkitOptionsWithValue, name)) {
            if (i + 1 >= arguments.size()) {
                return CommandLine{Action::refuse, "option '" + argument + "' needs a value"};
            }
            ++i;
            continue;
        } else if (contains(kToolkitFlags, name)) {
            continue;
        }
        return CommandLine{Action::refuse, "unknown option '" + argument + "'"};
    }
    return result;
}

std::string CommandLine::helpText() {
    return "Usage: tonvera [--help] [--version]\n"
           "\n"
           "Keeps your computer's sound on your preferred speaker: Tonvera remembers the\n"
           "output's name and selects it again after every wake and, if you want, at login.\n"
           "It lives in the system tray; start it again to open its settings.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "  -v, --version  show the version and exit\n"
           "\n"
           "Settings: $XDG_CONFIG_HOME/tonvera/settings.json (default ~/.config/tonvera)\n";
}

}  // namespace tonvera
