#include "app/command_line.h"

#include <utility>
#include <vector>

#include <gtest/gtest.h>

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
        EXPECT_EQ(parsed.error.empty(), action != Action::refuse) << parsed.error;
    }
    EXPECT_EQ(CommandLine::parse({"tonvera", "--connect", "Küche Radio"}).outputName,
              "Küche Radio");
    EXPECT_EQ(CommandLine::parse({"tonvera", "--connect=-odd-"}).outputName, "-odd-");
    EXPECT_EQ(CommandLine::parse({"tonvera", "--connect"}).outputName, std::nullopt);
}

}  // namespace
}  // namespace tonvera
