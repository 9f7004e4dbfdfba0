#include "platform/linux/desktop_workspace.h"

#include <fstream>

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

    // The permission's pane leads to the same sound tools; here all of them fail.
    tool("pavucontrol", "exit 1");
    EXPECT_FALSE(workspace.openURL(
        "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));
    EXPECT_FALSE(workspace.openURL("https://example.invalid/Tonvera.zip"));
    // Panes without a counterpart, and addresses that are neither panes nor web pages, start
    // nothing at all: no opener ever sees a file address.
    for (const char* none : {"x-apple.systempreferences:com.apple.MenuBar-Settings.extension",
                             "file:///etc/passwd", "javascript:alert(1)"}) {
        EXPECT_FALSE(workspace.openURL(none)) << none;
    }
    EXPECT_EQ(testing::readFile(tried),
              "gnome-control-center sound\npavucontrol \ngnome-control-center sound\npavucontrol \n"
              "xdg-open https://example.invalid/Tonvera.zip\n");
}

}  // namespace
}  // namespace tonvera
