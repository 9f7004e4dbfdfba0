#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <variant>
#include <vector>

#include "app/build_config.h"
#include "app/cli_commands.h"
#include "app/cli_localizer.h"
#include "app/command_line.h"
#include "app/tray_module.h"
#include "ui/text_format.h"

// The command `tonvera`: answers the command line itself, without a toolkit, and loads the
// tray application only to run it.
namespace tonvera {
namespace {

std::string environmentValue(const char* name) {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): read before any other thread exists.
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool hasDisplay(const std::vector<std::string>& arguments) {
    for (const auto& argument : arguments) {
        if (argument.find("platform") != std::string::npos) {
            return true;
        }
    }
    return !environmentValue("DISPLAY").empty() || !environmentValue("WAYLAND_DISPLAY").empty() ||
           !environmentValue("QT_QPA_PLATFORM").empty();
}

int runTrayApplication(int argc, char** argv, const Localizer& localizer) {
    if (!hasDisplay({argv, argv + argc})) {
        std::fputs(localizer
                       .localized(TONVERA_TRANSLATE(
                           "Tonvera",
                           "tonvera: no display found (DISPLAY and WAYLAND_DISPLAY are unset). "
                           "Start Tonvera in a desktop session, or run scripts/run.sh, which "
                           "provides a display of its own.\n",
                           "Command line: tray application without a display"))
                       .c_str(),
                   stderr);
        return CommandLine::kExitFailure;
    }
    const auto loaded = tray_module::load();
    if (const auto* problem = std::get_if<std::string>(&loaded)) {
        std::fputs(formatText(localizer.localized(TONVERA_TRANSLATE(
                                  "Tonvera", "tonvera: cannot load the tray application: %@\n",
                                  "Command line: the tray application's module is broken")),
                              {*problem})
                       .c_str(),
                   stderr);
        return CommandLine::kExitFailure;
    }
    return std::get<tray_module::Entry>(loaded)(argc, argv);
}

int run(int argc, char** argv) {
    // The system's own messages (libc's, the sound server library's) in the session's
    // language as well; formats and character handling stay as they are.
    // NOLINTNEXTLINE(concurrency-mt-unsafe): before any other thread exists.
    std::setlocale(LC_MESSAGES, "");
    const CliLocalizer localizer(CliLocalizer::sessionLanguage(environmentValue));
    const CommandLine commandLine = CommandLine::parse({argv, argv + argc});
    switch (commandLine.action) {
        case CommandLine::Action::showHelp:
            std::fputs(CommandLine::helpText(localizer).c_str(), stdout);
            return CommandLine::kExitSuccess;
        case CommandLine::Action::showVersion:
            std::printf("Tonvera %s\n",
                        build_config::kVersion
                            ? std::string(*build_config::kVersion).c_str()
                            : localizer
                                  .localized(TONVERA_TRANSLATE("Tonvera", "(no version)",
                                                               "Command line: --version"))
                                  .c_str());
            return CommandLine::kExitSuccess;
        case CommandLine::Action::refuse:
            std::fputs(formatText(localizer.localized(TONVERA_TRANSLATE(
                                      "Tonvera",
                                      "tonvera: %@\nTry 'tonvera --help' for more information.\n",
                                      "Command line: wrong usage")),
                                  {commandLine.errorMessage(localizer)})
                           .c_str(),
                       stderr);
            return CommandLine::kExitUsage;
        case CommandLine::Action::listOutputs:
            return cli::listOutputs(localizer, commandLine.json);
        case CommandLine::Action::connect:
            return cli::connect(localizer, commandLine.outputName);
        case CommandLine::Action::status:
            return cli::status(localizer, commandLine.json);
        case CommandLine::Action::run:
            break;
    }
    return runTrayApplication(argc, argv, localizer);
}

}  // namespace
}  // namespace tonvera

int main(int argc, char** argv) {
    return tonvera::run(argc, argv);
}
