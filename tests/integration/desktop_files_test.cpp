#include <fstream>
#include <regex>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/posix_process_launcher.h"
#include "platform/linux/xdg_autostart_login_item.h"
#include "support/temporary_directory.h"

namespace tonvera::testing {
namespace {

using ::testing::HasSubstr;

std::string readData(const std::string& name) {
    return readFile(std::string(TONVERA_DATA_DIR) + "/" + name);
}

// The validator must accept the file without an error or a warning.
void expectValid(const std::string& program, const std::vector<std::string>& arguments) {
    const auto result =
        PosixProcessLauncher().run(program, arguments, std::chrono::seconds(60), {});
    const std::string output = result.standardOutput + result.standardError;
    EXPECT_EQ(result.exitStatus, 0) << output;
    EXPECT_THAT(output, ::testing::Not(::testing::ContainsRegex("error|warning|E:|W:"))) << output;
}

TEST(DesktopFilesTest, LauncherAutostartEntryAndMetainfoAreValidAndAgree) {
    const std::string data = TONVERA_DATA_DIR;
    expectValid("/usr/bin/desktop-file-validate", {data + "/tonvera.desktop"});
    expectValid("/usr/bin/appstreamcli",
                {"validate", "--no-net", data + "/com.corvanet.Tonvera.metainfo.xml"});

    // A path that needs quoting, as an installation in a home folder may have.
    TemporaryDirectory folder;
    const auto executable = folder.path() / "my apps" / "tonvera";
    const auto entry = XdgAutostartLoginItem::entryText(executable);
    std::ofstream(folder.path() / "tonvera.desktop") << entry;
    expectValid("/usr/bin/desktop-file-validate", {(folder.path() / "tonvera.desktop").string()});

    // It shows the same application as the launcher (its main group, not its actions),
    // started by its absolute path.
    std::istringstream launcher(readData("tonvera.desktop"));
    for (std::string line; std::getline(launcher, line) && !line.starts_with("[Desktop Action");) {
        if (std::regex_search(line, std::regex("^(Name|GenericName|Comment|Icon|Categories)="))) {
            EXPECT_THAT(entry, HasSubstr(line + "\n"));
        }
    }
    EXPECT_THAT(entry, HasSubstr("\nTryExec=" + executable.string() + "\n"));

    // The release notes of both name the version being built.
    EXPECT_THAT(readData("com.corvanet.Tonvera.metainfo.xml"),
                HasSubstr("<release version=\"" TONVERA_PROJECT_VERSION "\""));
    EXPECT_THAT(readData("debian/changelog"),
                ::testing::StartsWith("tonvera (" TONVERA_DEBIAN_VERSION ") "));
}

}  // namespace
}  // namespace tonvera::testing
