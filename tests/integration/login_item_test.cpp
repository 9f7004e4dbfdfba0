#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/xdg_autostart_login_item.h"
#include "support/temporary_directory.h"

namespace tonvera::testing {
namespace {

TEST(XdgAutostartLoginItemTest, RegistersWithAQuotedPathUnregistersAndSaysWhatFailed) {
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

    item.unregisterItem();
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
    EXPECT_NO_THROW(item.unregisterItem());

    // Failures say what went wrong.
    std::ofstream(home.path() / "blocked") << "a file where the folder should be";
    XdgAutostartLoginItem blocked(home.path() / "blocked" / "autostart", "/usr/bin/tonvera");
    EXPECT_THAT([&] { blocked.registerItem(); },
                ::testing::ThrowsMessage<LoginItemError>(::testing::HasSubstr("autostart")));
    XdgAutostartLoginItem unknownProgram(home.path() / "elsewhere", "");
    EXPECT_THROW(unknownProgram.registerItem(), LoginItemError);
}

// An entry the desktop would not start is no registration: registering writes ours again.
TEST(XdgAutostartLoginItemTest, EntriesTheDesktopSkipsAreNotRegisteredAndALinkedOneStaysALink) {
    TemporaryDirectory home;
    XdgAutostartLoginItem item(home.path(), "/usr/bin/tonvera", {"ubuntu", "GNOME"});
    const std::vector<std::pair<std::string, bool>> cases{
        {"Hidden=true", false},
        {"Hidden = true\n[Desktop Action x]", false},
        {"[Desktop Action x]\nHidden=true", true},
        {"X-GNOME-Autostart-enabled=false", false},
        {"OnlyShowIn=KDE;XFCE;", false},
        {"NotShowIn=GNOME;", false},
        {"NotShowIn=KDE;", true},
        {"OnlyShowIn=ubuntu;\nNotShowIn=GNOME;", true}};  // the first desktop name decides
    for (const auto& [keys, starts] : cases) {
        std::ofstream(item.entryPath()) << "[Desktop Entry]\nType=Application\n" << keys << "\n";
        EXPECT_EQ(item.status(), starts ? LoginItemStatus::enabled : LoginItemStatus::notRegistered)
            << keys;
        item.registerItem();
        EXPECT_EQ(item.status(), LoginItemStatus::enabled) << keys;
    }

    // A linked entry (kept in a dotfiles folder) stays a link; its target holds the choice.
    std::filesystem::create_directories(home.path() / "dotfiles");
    const auto target = home.path() / "dotfiles" / "tonvera.desktop";
    std::ofstream(target) << "[Desktop Entry]\nHidden=true\n";
    std::filesystem::remove(item.entryPath());
    std::filesystem::create_symlink("dotfiles/tonvera.desktop", item.entryPath());
    item.registerItem();
    EXPECT_TRUE(std::filesystem::is_symlink(item.entryPath()));
    EXPECT_EQ(readFile(target), XdgAutostartLoginItem::entryText("/usr/bin/tonvera"));
    item.unregisterItem();
    EXPECT_TRUE(std::filesystem::is_symlink(item.entryPath()));
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
}

}  // namespace
}  // namespace tonvera::testing
