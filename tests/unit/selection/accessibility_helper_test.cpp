#include "selection/accessibility_helper.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/testing/recording_workspace.h"
#include "platform/testing/scripted_sound_menu.h"
#include "platform/testing/sound_menu_scene.h"
#include "platform/testing/virtual_time.h"

namespace tonvera::testing {
namespace {

using ::testing::ElementsAre;

struct HelperTest : ::testing::Test {
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>();
    std::shared_ptr<ScriptedSoundMenu> menu = std::make_shared<ScriptedSoundMenu>(time);
    std::shared_ptr<RecordingWorkspace> workspace = std::make_shared<RecordingWorkspace>();
    AccessibilityHelper helper{menu, menu, workspace};

    // A chain root → 1 → 2 → … → `length`; returns the node ids by level.
    std::vector<ScriptedSoundMenu::NodeId> chain(std::size_t length) {
        std::vector<ScriptedSoundMenu::NodeId> levels{
            menu->addApplication(hostApplication("Deep", 1))};
        for (std::size_t level = 1; level <= length; ++level) {
            levels.push_back(menu->addElement(levels.back(),
                                              AXAttributeValue("level-" + std::to_string(level))));
        }
        return levels;
    }
};

TEST_F(HelperTest, SearchesStopAtLevel63AndEndInCyclesAndVeryDeepTrees) {
    const auto levels = chain(100000);  // far deeper than any stack would allow to recurse
    const auto root = helper.applicationElement("Deep");
    ASSERT_TRUE(root);
    VisitedSet visited;
    EXPECT_TRUE(helper.findElement(root, "level-63", 0, visited));
    visited.clear();
    EXPECT_FALSE(helper.findElement(root, "level-64", 0, visited));

    menu->link(levels[5], levels[0]);  // a cycle back to the root
    menu->link(levels[1], levels[3]);  // level 3 reachable along two paths
    std::vector<AXElementHandle> all;
    visited.clear();
    helper.collectElements(
        root, [](const AXElementHandle&) { return true; }, 0, visited, all);
    EXPECT_EQ(all.size(), 64U);  // levels 0 to 63, each once
    EXPECT_EQ(VisitedSet(all.begin(), all.end()).size(), all.size());
}

TEST_F(HelperTest, ApplicationElementMatchesBundleThenExecutableThenName) {
    // Listed in this order; each test of each entry in turn.
    menu->addApplication(
        RunningApplication{.localizedName = "Control Center", .processIdentifier = 1});
    const auto helperApp = menu->addApplication(
        RunningApplication{.executablePath = "/opt/ControlCenterHelper/", .processIdentifier = 2});
    menu->addElement(helperApp, AXAttributeValue(std::string("helper")));
    const auto real = menu->addApplication(hostApplication("ControlCenter", 3));
    menu->addElement(real, AXAttributeValue(std::string("real")));
    const auto named = menu->addApplication(
        RunningApplication{.localizedName = "My MenuBarAgent Clone", .processIdentifier = 4});
    menu->addElement(named, AXAttributeValue(std::string("clone")));

    const auto firstChildIdentifier = [&](const AXElementHandle& app) {
        return helper.identifier(helper.children(app).at(0));
    };
    // "Control Center" (with a blank) does not contain "controlcenter"; the helper's executable
    // name does, and it is listed before the real process.
    EXPECT_EQ(firstChildIdentifier(helper.applicationElement("ControlCenter")), "helper");
    EXPECT_EQ(firstChildIdentifier(helper.applicationElement("controlcenter")), "helper");
    EXPECT_EQ(firstChildIdentifier(helper.applicationElement("menubaragent")), "clone");
    EXPECT_EQ(helper.applicationElement("SystemUIServer"), nullptr);
}

TEST_F(HelperTest, BundleIdentifierIsComparedForEqualityWithTheHostTarget) {
    const auto app = menu->addApplication(
        RunningApplication{.bundleIdentifier = "com.apple.controlcenter", .processIdentifier = 9});
    menu->addElement(app, AXAttributeValue(std::string("cc")));
    // "control" alone is contained in the bundle identifier too.
    EXPECT_TRUE(helper.applicationElement("ControlCenter"));
    EXPECT_TRUE(helper.applicationElement("control"));
    EXPECT_FALSE(helper.applicationElement("com.apple.controlcenter.extra"));
}

TEST_F(HelperTest, IsSelectedOnlyForOneOrTrueAndFailedReadsAreAbsent) {
    const auto app = menu->addApplication(hostApplication("Values", 1));
    // A one as the Sound menu gives it: the native selector's tests.
    const std::vector<std::pair<std::optional<AXAttributeValue>, bool>> cases = {
        {AXAttributeValue(true), true},
        {AXAttributeValue(1.0), true},
        {AXAttributeValue(0.9), false},  // the integer value of the number: 0
        {AXAttributeValue(std::int64_t{2}), false},
        {AXAttributeValue(false), false},
        {AXAttributeValue(std::string("1")), false},  // any other type
        {std::nullopt, false},
    };
    for (const auto& testCase : cases) {
        menu->setValue(menu->addElement(app), testCase.first);
    }
    const auto elements = helper.children(helper.applicationElement("Values"));
    ASSERT_EQ(elements.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(helper.isSelected(elements[i]), cases[i].second) << "case " << i;
    }

    // A failed read is absent; children must be a list.
    menu->failReads(menu->addElement(app, AXAttributeValue(std::string("x"))), "AXIdentifier",
                    kAXErrorCannotComplete);
    const auto named = helper.children(helper.applicationElement("Values")).back();
    EXPECT_FALSE(helper.identifier(named));
    EXPECT_FALSE(helper.identifierHasPrefix(named, ""));
    menu->failReads(app, "AXChildren", kAXErrorFailure);
    EXPECT_TRUE(helper.children(helper.applicationElement("Values")).empty());
}

TEST_F(HelperTest, SettingsOpenersTryEachAddressThenTheApplication) {
    helper.openMenuBarSettings();
    helper.openAccessibilitySettings();
    EXPECT_THAT(
        workspace->opened(),
        ElementsAre("x-apple.systempreferences:com.apple.MenuBar-Settings.extension",
                    "x-apple.systempreferences:com.apple.ControlCenter-Settings.extension",
                    "x-apple.systempreferences:com.apple.Sound-Settings.extension",
                    "file:///System/Applications/System%20Settings.app",
                    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility",
                    "x-apple.systempreferences:com.apple.settings.PrivacySecurity.extension?"
                    "Privacy_Accessibility",
                    "file:///System/Applications/System%20Settings.app"));

    auto opening = std::make_shared<RecordingWorkspace>(std::set<std::string>{
        "x-apple.systempreferences:com.apple.ControlCenter-Settings.extension"});
    AccessibilityHelper second(menu, menu, opening);
    second.openMenuBarSettings();
    EXPECT_EQ(opening->opened().size(), 2U);
}

}  // namespace
}  // namespace tonvera::testing
