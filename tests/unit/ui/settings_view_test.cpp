#include "ui/settings_view.h"

#include <chrono>
#include <optional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/settings_view_harness.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct SettingsViewTest : ::testing::Test, SettingsViewHarness {
    std::shared_ptr<SettingsView> view = makeView(orchestrator);
};

TEST_F(SettingsViewTest, DiscoveryFallsBackToTheScriptOnlyWhenTheNativeRouteFails) {
    struct Case {
        std::optional<std::vector<std::string>> nativeOutputs;  // none: no Sound menu at all
        ProcessResult script;
        std::vector<std::string> devices;
        std::optional<std::string> status;
        std::size_t scriptRuns;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {std::vector<std::string>{}, exited(0, "Büro"), {},
         "No devices found. Enter the name manually.", 0},
        {std::vector<std::string>{"Küche", "A & B"}, exited(0, "Büro"), {"Küche", "A & B"},
         std::nullopt, 0},
        {std::nullopt, exited(0, "Küche, Büro\n"), {"Küche", "Büro"}, std::nullopt, 1},
        {std::nullopt, exited(0, "\n"), {}, std::nullopt, 1},
        {std::nullopt, exited(1, "", "Skript kaputt"), {}, "Error: Skript kaputt", 1},
    };
    // clang-format on
    for (const auto& c : cases) {
        SettingsViewHarness fresh;
        const auto freshView = fresh.makeView(fresh.orchestrator);
        if (c.nativeOutputs) {
            SoundMenuScene::build(*fresh.menu, *c.nativeOutputs);
        }
        fresh.launcher->answer = [&c] { return c.script; };

        freshView->startDiscovery();
        EXPECT_TRUE(freshView->isDiscovering());
        EXPECT_FALSE(freshView->canDiscover());
        fresh.settle();

        EXPECT_FALSE(freshView->isDiscovering());
        EXPECT_EQ(freshView->availableDevices(), c.devices);
        EXPECT_EQ(freshView->statusMessage(), c.status);
        EXPECT_EQ(fresh.launcher->calls().size(), c.scriptRuns);
    }
}

TEST_F(SettingsViewTest, ConnectShowsItsStatusAndClearsItThreeSecondsAfterTheRun) {
    SoundMenuScene::build(*menu, {"Küche", "Wohnzimmer"});
    settings->setDeviceName("Wohnzimmer");
    sourceTexts->translate("Connecting to %@…", "Settings: connect status", "Verbinde mit %@ …");

    view->startConnect();
    view->startConnect();
    EXPECT_TRUE(view->isConnecting());
    EXPECT_FALSE(view->canConnect());
    EXPECT_EQ(view->statusMessage(), "Verbinde mit Wohnzimmer …");
    EXPECT_EQ(tasks->pendingCount(), 1U);

    settle();
    EXPECT_EQ(menu->selectedOutput(), "Wohnzimmer");
    EXPECT_FALSE(view->isConnecting());
    EXPECT_TRUE(view->canConnect());
    EXPECT_EQ(view->statusMessage(), "Done — see log for details.");

    // A discovery message set meanwhile goes with the connect's clearing.
    time->advanceBy(1s);
    launcher->answer = [] { return exited(1, "", "kaputt"); };
    menu->setTrusted(false);
    view->startDiscovery();
    settle();
    EXPECT_EQ(view->statusMessage(), "Error: kaputt");
    time->advanceBy(1999ms);
    EXPECT_TRUE(view->statusMessage().has_value());
    time->advanceBy(1ms);
    EXPECT_EQ(view->statusMessage(), std::nullopt);
}

TEST_F(SettingsViewTest, AnEmptyNameDisablesConnectWhileBlanksReachTheOrchestratorAsStored) {
    settings->setDeviceName("");
    EXPECT_FALSE(view->canConnect());

    settings->setDeviceName("  ");
    EXPECT_TRUE(view->canConnect());
    view->startConnect();
    EXPECT_EQ(view->statusMessage(), "Connecting to   …");
    settle();
    // A refused run ends with the same line as a successful one: the outcome is in the log.
    EXPECT_THAT(log->lines(),
                Contains("error: [AirPlay] No device configured — skipping reconnect"));
    EXPECT_EQ(view->statusMessage(), "Done — see log for details.");
}

TEST_F(SettingsViewTest, ResultsArrivingAfterTheWindowClosedChangeNothing) {
    SoundMenuScene::build(*menu, {"Wohnzimmer"});
    settings->setDeviceName("Wohnzimmer");
    int redraws = 0;
    auto redrawWatch = view->observeChanges([&] { ++redraws; });
    view->startConnect();
    view->startDiscovery();
    const std::weak_ptr<SettingsView> closed = view;
    view.reset();
    redraws = 0;

    settle();
    time->advanceBy(5s);
    EXPECT_TRUE(closed.expired());
    EXPECT_EQ(redraws, 0);
    // The reconnect was not cancelled by the closing.
    EXPECT_EQ(menu->selectedOutput(), "Wohnzimmer");
    EXPECT_FALSE(orchestrator->isRunning());
}

TEST_F(SettingsViewTest, WithoutAnOrchestratorOrAnUpdateCallbackPressesDoNothing) {
    // Showing the window with an orchestrator pushes the delays: see the widget test.
    const auto alone = SettingsView::create(settings, nullptr, {}, services());
    alone->windowShown();
    alone->checkForUpdates();
    alone->startConnect();
    EXPECT_EQ(alone->statusMessage(), "Connecting to Arbeitszimmer…");
    time->advanceBy(0ns);
    EXPECT_EQ(alone->statusMessage(), "Done — see log for details.");
    EXPECT_EQ(tasks->pendingCount(), 0U);
}

TEST_F(SettingsViewTest, ControlsWriteTheSettingsAndTheViewRedrawsWithTheNewValues) {
    std::vector<std::string> seen;
    auto redrawWatch = view->observeChanges([&] {
        seen.push_back(fmt::format("{} {} {} {}", view->deviceName(), view->connectOnWake(),
                                   view->connectAtLogin(), view->launchAtLogin()));
    });
    view->setConnectOnWake(false);
    view->setConnectAtLogin(false);
    view->setLaunchAtLogin(false);
    view->useDevice("Küche");
    view->setDeviceName("Küche 2");
    EXPECT_THAT(seen, IsEmpty());
    time->advanceBy(0ns);
    EXPECT_THAT(seen, ElementsAre("Küche 2 false false false"));
    EXPECT_EQ(defaults->writes().size(), 5U);
    // Names are shown as they are, never looked up as texts.
    EXPECT_EQ(view->deviceRowText("Version %@"), "• Version %@");
}

// Where no permission can be missing, the badge names what the desktop lacks instead.
TEST_F(SettingsViewTest, TheBadgeNamesTheMissingPartAndItsButtonOpensSoundSettings) {
    readiness = std::make_shared<ScriptedDesktopReadiness>();
    view = makeView(orchestrator);
    EXPECT_EQ(view->badge().text, "Checking…");
    EXPECT_EQ(view->badge().tone, SettingsView::Tone::pending);
    view->windowShown();
    settle();
    EXPECT_EQ(view->badge().text, "Ready");
    EXPECT_EQ(view->badge().tone, SettingsView::Tone::success);
    EXPECT_EQ(view->discoveryHint(), "");

    readiness->soundServer = false;
    readiness->systemBus = false;
    view->windowActivated();
    settle();
    EXPECT_EQ(view->badge().text, "Sound server not answering");
    EXPECT_EQ(view->badge().tone, SettingsView::Tone::warning);
    EXPECT_EQ(view->discoveryHint(), "Sound server not answering");
    readiness->soundServer = true;
    view->windowActivated();
    settle();
    EXPECT_EQ(view->badge().text, "No wake signals");

    view->openSettingsPane();
    settle();
    EXPECT_THAT(workspace->opened(), ElementsAre(std::string(kSoundSettingsAddress)));
}

}  // namespace
}  // namespace tonvera::testing
