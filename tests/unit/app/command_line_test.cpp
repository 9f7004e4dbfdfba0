#include "app/command_line.h"

#include <vector>

#include <gtest/gtest.h>

namespace tonvera {
namespace {

TEST(CommandLineTest, KnowsItsOwnOptionsPassesTheToolkitsAndRefusesTheRest) {
    using Action = CommandLine::Action;
    struct Row {
        std::vector<std::string> arguments;
        Action action;
    };
    const std::vector<Row> rows = {
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
    for (const auto& row : rows) {
        const CommandLine parsed = CommandLine::parse(row.arguments);
        EXPECT_EQ(parsed.action, row.action) << row.arguments.back();
        EXPECT_EQ(parsed.error.empty(), row.action != Action::refuse) << parsed.error;
    }
    EXPECT_EQ(CommandLine::parse({"tonvera", "--connect", "Küche Radio"}).outputName,
              "Küche Radio");
    EXPECT_EQ(CommandLine::parse({"tonvera", "--connect=-odd-"}).outputName, "-odd-");
    EXPECT_EQ(CommandLine::parse({"tonvera", "--connect"}).outputName, std::nullopt);
}

}  // namespace
}  // namespace tonvera
