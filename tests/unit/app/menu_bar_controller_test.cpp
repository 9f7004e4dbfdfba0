#include "app/menu_bar_controller.h"

#include <gmock/gmock.h>

#include "app_fixture.h"
#include "selection/accessibility_error.h"
#include "ui/settings_view.h"

namespace tonvera::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

struct MenuBarControllerTest : AppFixture {
    AppEnvironment env = environment();
    std::shared_ptr<MenuBarController> controller =
        MenuBarController::create(env.settings, orchestrator, env);

    // The entry as one line: "title|e|t|c|key" (enabled, toggle, checked).
    std::string menuLine(std::size_t index) const {
        const auto& item = statusItem->menu.at(index);
        return fmt::format("{}|{}|{}|{}|{}", item.title, item.enabled ? "e" : "",
                           item.toggle ? "t" : "", item.checked ? "c" : "", item.keyEquivalent);
    }
};

// The entries, their states and shortcuts as a panel reads them: the desktop tray menu test.
TEST_F(MenuBarControllerTest, TheMenuFollowsTheSettingsOneHopLaterAndItsEntriesReachTheirTargets) {
    env.settings->setDeviceName("  Küche & Bad ");
    EXPECT_EQ(menuLine(3), "✓ Arbeitszimmer||||");
    time->advanceBy({});
    EXPECT_EQ(menuLine(3), "✓   Küche & Bad ||||");

    env.settings->setDeviceName("");
    time->advanceBy({});
    EXPECT_EQ(menuLine(3), "✓ (not configured)||||");
    // "Connect now" hands even an empty name to the orchestrator, which says why it refuses.
    log->clear();
    ASSERT_TRUE(statusItem->choose("Connect now"));
    settle();
    EXPECT_THAT(log->lines(),
                ElementsAre("info: [AirPlay] Manual connect triggered for ",
                            "error: [AirPlay] No device configured — skipping reconnect"));

    // A toggle chosen in the menu is stored; entries without a handler do nothing.
    statusItem->choose("Connect at login");
    EXPECT_EQ(std::get<bool>(*defaults->object(AppSettings::kConnectAtLoginKey)), false);
    EXPECT_EQ(menuLine(9), "Connect at login|e|t||");
    EXPECT_TRUE(statusItem->choose("Show Welcome / Onboarding…"));
    EXPECT_TRUE(statusItem->choose("Check for Updates…"));
    int calls = 0;
    controller->onCheckUpdates = [&] { ++calls; };
    statusItem->choose("Check for Updates…");
    EXPECT_EQ(calls, 1);
    EXPECT_THAT(windows->windows(), IsEmpty());
}

TEST_F(MenuBarControllerTest, ThePickerOffersFiveOutputsStoresThePickAndAFailureOpensSettings) {
    for (const char* name : {"Bad", "Flur", "Garten", "Keller"}) {
        menu->addOutput(scene.scrollArea, name);
    }
    alerts->answerNext(kAlertFirstButtonReturn + 5);  // "Cancel"
    statusItem->choose("Find AirPlay devices…");
    settle();
    ASSERT_EQ(alerts->shown().size(), 1U);
    const AlertContent picker = alerts->shown()[0];
    EXPECT_EQ(picker.informativeText,
              "Available outputs:\nArbeitszimmer\nWohnzimmer\nKüche Radio\nBad\nFlur\nGarten\n"
              "Keller\n\nSelect a device to save it as the preferred output.");
    EXPECT_THAT(picker.buttons,
                ElementsAre("Arbeitszimmer", "Wohnzimmer", "Küche Radio", "Bad", "Flur", "Cancel"));
    EXPECT_EQ(env.settings->deviceName(), "Arbeitszimmer");

    alerts->answerNext(kAlertFirstButtonReturn + 2);
    log->clear();
    statusItem->choose("Find AirPlay devices…");
    settle();
    EXPECT_EQ(env.settings->deviceName(), "Küche Radio");
    EXPECT_EQ(std::get<std::string>(*defaults->object(AppSettings::kDeviceNameKey)), "Küche Radio");
    EXPECT_EQ(log->lines().back(), "info: [AirPlay] User selected device via picker: Küche Radio");
    EXPECT_EQ(menuLine(3), "✓ Küche Radio||||");

    // A failed search offers to open Settings; only the second answer does.
    menu->setTrusted(false);
    alerts->answerNext(kAlertFirstButtonReturn);  // "OK"
    statusItem->choose("Find AirPlay devices…");
    settle();
    alerts->answerNext(kAlertFirstButtonReturn + 1);  // "Open Settings"
    statusItem->choose("Find AirPlay devices…");
    settle();
    const auto failed = alerts->shown();
    ASSERT_EQ(failed.size(), 4U);
    EXPECT_EQ(failed[2].messageText, "Could not find devices");
    EXPECT_THAT(failed[2].informativeText,
                HasSubstr(AccessibilityError::permissionMissing().errorDescription() +
                          "\n\nPlease enter the device name manually in Settings."));
    EXPECT_THAT(failed[2].buttons, ElementsAre("OK", "Open Settings"));
    EXPECT_EQ(windows->windows().size(), 1U);
}

TEST_F(MenuBarControllerTest, SettingsOpensOnceWhileVisibleAndAnewAfterCloseOrMinimize) {
    statusItem->choose("Open Settings…");
    statusItem->choose("Open Settings…");
    ASSERT_EQ(windows->windows().size(), 1U);
    const auto first = windows->windows()[0];
    EXPECT_EQ(first->frontCount(), 2);
    EXPECT_EQ(first->options().contentWidth, SettingsView::windowOptions().contentWidth);
    EXPECT_TRUE(first->options().miniaturizable);

    first->minimize();
    statusItem->choose("Open Settings…");
    ASSERT_EQ(windows->windows().size(), 2U);
    first->close();  // the old window closing leaves the new one in place
    EXPECT_EQ(controller->settingsWindow(), windows->windows()[1]);
    windows->windows()[1]->close();
    EXPECT_EQ(controller->settingsWindow(), nullptr);
    statusItem->choose("Open Settings…");
    EXPECT_EQ(windows->windows().size(), 3U);
}

}  // namespace
}  // namespace tonvera::testing
