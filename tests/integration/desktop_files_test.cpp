#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/posix_process_launcher.h"
#include "platform/linux/xdg_autostart_login_item.h"
#include "support/temporary_directory.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::StartsWith;

// A file of the source tree's data folder.
std::string dataFile(const std::string& name) {
    return std::string(TONVERA_DATA_DIR) + "/" + name;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), {}};
}

// The keys of a desktop entry's main group.
std::map<std::string, std::string> entryKeys(const std::string& text) {
    std::map<std::string, std::string> keys;
    std::istringstream lines(text);
    std::string line;
    bool mainGroup = false;
    while (std::getline(lines, line)) {
        if (line.starts_with('[')) {
            mainGroup = line == "[Desktop Entry]";
        } else if (const auto equals = line.find('='); mainGroup && equals != std::string::npos) {
            keys[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return keys;
}

// Runs a validator and expects it to accept the file without a word of complaint.
void expectValid(const std::string& program, const std::vector<std::string>& arguments) {
    const auto result = PosixProcessLauncher().run(program, arguments, 60s, {});
    EXPECT_EQ(result.exitStatus, 0) << result.standardOutput << result.standardError;
    EXPECT_THAT(result.standardOutput + result.standardError,
                ::testing::Not(::testing::ContainsRegex("error|warning|E:|W:")))
        << result.standardOutput << result.standardError;
}

TEST(DesktopFilesTest, TheLauncherAndTheAutostartEntryAreValidAndShowTheSameApplication) {
    expectValid("/usr/bin/desktop-file-validate", {dataFile("tonvera.desktop")});

    // A path that needs quoting, as an installation in a home folder may have.
    TemporaryDirectory folder;
    const auto executable = folder.path() / "my apps" / "tonvera";
    const auto entry = XdgAutostartLoginItem::entryText(executable);
    std::ofstream(folder.path() / "tonvera.desktop") << entry;
    expectValid("/usr/bin/desktop-file-validate", {(folder.path() / "tonvera.desktop").string()});

    auto launcher = entryKeys(readFile(dataFile("tonvera.desktop")));
    auto autostart = entryKeys(entry);
    for (const char* key :
         {"Type", "Name", "GenericName", "Comment", "Icon", "Categories", "StartupNotify"}) {
        EXPECT_FALSE(launcher[key].empty()) << key;
        EXPECT_EQ(autostart[key], launcher[key]) << key;
    }
    EXPECT_EQ(autostart["TryExec"], executable.string());
}

TEST(DesktopFilesTest, TheMetainfoIsValidAndTheReleaseNotesNameThisVersion) {
    expectValid("/usr/bin/appstreamcli",
                {"validate", "--no-net", dataFile("com.corvanet.Tonvera.metainfo.xml")});
    EXPECT_THAT(readFile(dataFile("com.corvanet.Tonvera.metainfo.xml")),
                ::testing::HasSubstr("<release version=\"" TONVERA_PROJECT_VERSION "\""));
    EXPECT_THAT(readFile(dataFile("debian/changelog")),
                StartsWith("tonvera (" TONVERA_DEBIAN_VERSION ") "));
}

}  // namespace
}  // namespace tonvera::testing
