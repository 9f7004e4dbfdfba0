#include "platform/linux/desktop_workspace.h"

#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/posix_process_launcher.h"
#include "support/temporary_directory.h"

namespace tonvera {
namespace {

using Command = DesktopWorkspace::Command;

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

// What a writer puts into the FIFO at `path` within `limit`; opening it lets a blocked writer on.
std::string readFifo(const std::filesystem::path& path, std::chrono::milliseconds limit) {
    const int fifo = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    pollfd readable{fifo, POLLIN, 0};
    std::string text(64, '\0');
    const ssize_t got = ::poll(&readable, 1, static_cast<int>(limit.count())) == 1
                            ? ::read(fifo, text.data(), text.size())
                            : 0;
    ::close(fifo);
    text.resize(static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    return text;
}

TEST(DesktopWorkspaceTest, AFailingOpenerFallsThroughAndOneStillRunningCountsAsOpened) {
    using namespace std::chrono_literals;
    testing::TemporaryDirectory directory;
    const auto tried = directory.path() / "tried";
    const auto fifo = directory.path() / "started";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto tool = [&](const std::string& name, const std::string& body) {
        const auto path = directory.path() / name;
        std::ofstream(path) << "#!/bin/sh\necho \"" << name << " $*\" >> '" << tried.string()
                            << "'\n"
                            << body << "\n";
        ::chmod(path.c_str(), 0700);
    };
    tool("gnome-control-center", "exit 1");
    tool("xdg-open", "exit 1");
    // Blocks on the FIFO until the test reads it: still running when the bound has passed.
    tool("pavucontrol", "echo started > '" + fifo.string() + "'");

    // No systemsettings in this search path.
    DesktopWorkspace workspace(std::make_shared<PosixProcessLauncher>(),
                               "relative:" + directory.path().string(), 100ms);
    EXPECT_TRUE(workspace.openURL("x-apple.systempreferences:com.apple.Sound-Settings.extension"));
    EXPECT_EQ(readFifo(fifo, 5s), "started\n");

    EXPECT_FALSE(workspace.openURL(
        "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));
    EXPECT_FALSE(workspace.openURL("https://example.invalid/Tonvera.zip"));
    EXPECT_FALSE(
        workspace.openURL("x-apple.systempreferences:com.apple.MenuBar-Settings.extension"));
    std::ifstream log(tried);
    std::stringstream triedTools;
    triedTools << log.rdbuf();
    EXPECT_EQ(triedTools.str(),
              "gnome-control-center sound\npavucontrol \ngnome-control-center universal-access\n"
              "xdg-open https://example.invalid/Tonvera.zip\n");
}

}  // namespace
}  // namespace tonvera
