#include "platform/linux/desktop_workspace.h"

#include <fstream>

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/posix_process_launcher.h"
#include "support/temporary_directory.h"

namespace tonvera {
namespace {

using Command = DesktopWorkspace::Command;
using ::testing::ElementsAre;

TEST(DesktopWorkspaceTest, OnlyPanesWithACounterpartAndWebAddressesHaveCommands) {
    EXPECT_EQ(DesktopWorkspace::commandsFor(
                  "x-apple.systempreferences:com.apple.Sound-Settings.extension")
                  .front(),
              (Command{"gnome-control-center", {"sound"}}));
    for (const char* accessibility :
         {"x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility",
          "x-apple.systempreferences:com.apple.settings.PrivacySecurity.extension?Privacy_"
          "Accessibility"}) {
        EXPECT_EQ(DesktopWorkspace::commandsFor(accessibility).front(),
                  (Command{"gnome-control-center", {"universal-access"}}));
    }
    for (const char* none : {"x-apple.systempreferences:com.apple.MenuBar-Settings.extension",
                             "x-apple.systempreferences:com.apple.ControlCenter-Settings.extension",
                             "file:///System/Applications/System%20Settings.app",
                             "file:///etc/passwd", "javascript:alert(1)", ""}) {
        EXPECT_TRUE(DesktopWorkspace::commandsFor(none).empty()) << none;
    }
    EXPECT_EQ(DesktopWorkspace::commandsFor("https://example.invalid/x.dmg").front(),
              (Command{"xdg-open", {"https://example.invalid/x.dmg"}}));
}

TEST(DesktopWorkspaceTest, StartsTheFirstToolFoundAndReportsWhatHappened) {
    testing::TemporaryDirectory directory;
    const auto fifo = directory.path() / "started";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto tool = directory.path() / "pavucontrol";
    std::ofstream(tool) << "#!/bin/sh\necho \"pavucontrol $*\" > '" << fifo.string() << "'\n";
    ::chmod(tool.c_str(), 0700);

    // No gnome-control-center or systemsettings in this search path: the third choice runs.
    DesktopWorkspace workspace(std::make_shared<PosixProcessLauncher>(),
                               "relative:" + directory.path().string());
    EXPECT_TRUE(workspace.openURL("x-apple.systempreferences:com.apple.Sound-Settings.extension"));
    std::ifstream started(fifo);  // blocks until the detached tool writes
    std::string line;
    std::getline(started, line);
    EXPECT_EQ(line, "pavucontrol ");

    EXPECT_FALSE(workspace.openURL(
        "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));
    EXPECT_FALSE(
        workspace.openURL("x-apple.systempreferences:com.apple.MenuBar-Settings.extension"));
}

}  // namespace
}  // namespace tonvera
