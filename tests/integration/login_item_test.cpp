#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/xdg_autostart_login_item.h"
#include "support/temporary_directory.h"

namespace tonvera::testing {
namespace {

TEST(XdgAutostartLoginItemTest, RegistersWithAQuotedPathFollowsHiddenAndUnregisters) {
    TemporaryDirectory home;
    const auto folder = home.path() / "autostart";  // made on first registration
    XdgAutostartLoginItem item(folder, "/opt/My Apps/100% \"sound\"/tonvera");
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);

    item.registerItem();
    EXPECT_EQ(item.status(), LoginItemStatus::enabled);
    const std::string entry = readFile(item.entryPath());
    EXPECT_NE(entry.find("\nExec=\"/opt/My Apps/100%% \\\\\"sound\\\\\"/tonvera\"\n"),
              std::string::npos)
        << entry;

    // The desktop's own switch in its startup-applications panel hides the entry.
    std::ofstream(item.entryPath()) << "[Desktop Entry]\nHidden = true\n[Desktop Action x]\n";
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
    std::ofstream(item.entryPath()) << "[Desktop Action x]\nHidden=true\n[Desktop Entry]\n";
    EXPECT_EQ(item.status(), LoginItemStatus::enabled);

    item.unregisterItem();
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
    EXPECT_NO_THROW(item.unregisterItem());
}

TEST(XdgAutostartLoginItemTest, FailuresSayWhatWentWrong) {
    TemporaryDirectory home;
    std::ofstream(home.path() / "autostart") << "a file where the folder should be";
    XdgAutostartLoginItem blocked(home.path() / "autostart", "/usr/bin/tonvera");
    EXPECT_THAT([&] { blocked.registerItem(); },
                ::testing::ThrowsMessage<LoginItemError>(::testing::HasSubstr("autostart")));
    XdgAutostartLoginItem unknownProgram(home.path() / "elsewhere", "");
    EXPECT_THROW(unknownProgram.registerItem(), LoginItemError);
}

}  // namespace
}  // namespace tonvera::testing
