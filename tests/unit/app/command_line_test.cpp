#include "app/command_line.h"

#include <map>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/cli_localizer.h"
#include "app/terminal_text.h"

namespace tonvera {
namespace {

TEST(CommandLineTest, KnowsItsOwnOptionsPassesTheToolkitsAndRefusesTheRest) {
    using Action = CommandLine::Action;
    const std::vector<std::pair<std::vector<std::string>, Action>> rows = {
        {{"tonvera"}, Action::run},
        {{"tonvera", "--version"}, Action::showVersion},
        {{"tonvera", "-h"}, Action::showHelp},
        {{"tonvera", "-platform", "offscreen"}, Action::run},
        {{"tonvera", "--platform=offscreen", "-reverse"}, Action::run},
        {{"tonvera", "-platform"}, Action::refuse},
        {{"tonvera", "--frobnicate"}, Action::refuse},
        {{"tonvera", "speaker"}, Action::refuse},
        {{"tonvera", "--bogus", "--help"}, Action::refuse},
        {{"tonvera", "--list-outputs", "--json"}, Action::listOutputs},
        {{"tonvera", "--status", "-platform", "offscreen"}, Action::status},
        {{"tonvera", "--connect"}, Action::connect},
        {{"tonvera", "--connect", "--json"}, Action::refuse},
        {{"tonvera", "--status", "--connect"}, Action::refuse},
    };
    for (const auto& [arguments, action] : rows) {
        const CommandLine parsed = CommandLine::parse(arguments);
        EXPECT_EQ(parsed.action, action) << arguments.back();
        EXPECT_EQ(parsed.error.source == nullptr, action != Action::refuse) << arguments.back();
    }
    EXPECT_EQ(CommandLine::parse({"tonvera", "--connect", "Küche Radio"}).outputName,
              "Küche Radio");
    EXPECT_EQ(CommandLine::parse({"tonvera", "--connect=-odd-"}).outputName, "-odd-");
    EXPECT_EQ(CommandLine::parse({"tonvera", "--connect"}).outputName, std::nullopt);
}

TEST(CommandLineTest, ANameIsOneLineOfTerminalTextThatPrintfGivesBack) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"Küche Radio", "Küche Radio"},
        {"Box\n* Forged", R"(Box\n* Forged)"},
        {std::string("a\\b\tc\x1b[31md\x7f\0e", 14), R"(a\\b\x09c\x1b[31md\x7f\x00e)"},
        {"\u009b2J Ä", R"(\xc2\x9b2J Ä)"},
        // The ends of the C1 range: U+0080 and U+009F are controls, U+00A0 is a space.
        {"\u0080\u009f\u00a0", std::string(R"(\xc2\x80\xc2\x9f)") + "\u00a0"},
    };
    for (const auto& [name, shown] : rows) {
        EXPECT_EQ(terminalText(name), shown) << shown;
    }
}

TEST(CommandLineTest, SpeaksTheLanguageTheWindowsChooseForTheSession) {
    using Language = CliLocalizer::Language;
    const std::vector<std::pair<std::map<std::string, std::string>, Language>> rows = {
        {{{"LANG", "de_DE.UTF-8"}}, Language::german},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "de:en"}}, Language::german},
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "fr:en"}}, Language::english},
        {{{"LANG", "fr_FR.UTF-8"}, {"LANGUAGE", "fr:de"}}, Language::german},
        {{{"LANG", "en_GB.UTF-8"}, {"LANGUAGE", "en_GB:de"}}, Language::english},
        {{{"LANG", "C"}, {"LANGUAGE", "de"}}, Language::english},
        {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "de"}}, Language::german},
        {{{"LANG", "de_DE.UTF-8"}, {"LC_ALL", "C.UTF-8"}}, Language::english},
        {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "de_AT.UTF-8"}}, Language::german},
        {{{"LANG", "nds_DE.UTF-8"}}, Language::english},
        {{}, Language::english},
    };
    for (const auto& row : rows) {
        const auto variable = [&row](const char* name) {
            const auto found = row.first.find(name);
            return found != row.first.end() ? found->second : std::string();
        };
        EXPECT_EQ(CliLocalizer::sessionLanguage(variable), row.second)
            << testing::PrintToString(row.first);
    }
    const auto text =
        TONVERA_TRANSLATE("Tonvera", "Preferred output:", "Command line: status label");
    EXPECT_EQ(CliLocalizer(Language::german).localized(text), "Bevorzugte Ausgabe:");
    EXPECT_EQ(CliLocalizer(Language::english).localized(text), "Preferred output:");
}

}  // namespace
}  // namespace tonvera
