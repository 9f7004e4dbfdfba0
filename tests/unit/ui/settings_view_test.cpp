#include "ui/settings_view.h"

#include <chrono>
#include <optional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/view_harness.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::Each;
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
        EXPECT_TRUE(freshView->isDiscovering() && !freshView->canDiscover());
        fresh.settle();
        EXPECT_EQ(std::tuple(freshView->isDiscovering(), freshView->availableDevices(),
                             freshView->statusMessage(), fresh.launcher->calls().size()),
                  std::tuple(false, c.devices, c.status, c.scriptRuns));
    }
}

TEST_F(SettingsViewTest, ConnectShowsItsOutcomeAndTheGoodNewsGoesThreeSecondsLater) {
    SoundMenuScene::build(*menu, {"Küche", "Wohnzimmer"});
    settings->setDeviceName("Wohnzimmer");
    sourceTexts->translate("Connecting to %@…", "Settings: connect status", "Verbinde mit %@ …");

    view->startConnect();
    view->startConnect();
    EXPECT_EQ(std::pair(view->isConnecting(), view->canConnect()), std::pair(true, false));
    EXPECT_EQ(view->statusMessage(), "Verbinde mit Wohnzimmer …");
    EXPECT_EQ(tasks->pendingCount(), 1U);

    settle();
    EXPECT_EQ(menu->selectedOutput(), "Wohnzimmer");
    EXPECT_EQ(std::pair(view->isConnecting(), view->canConnect()), std::pair(false, true));
    EXPECT_EQ(view->statusLine(),
              (StatusLine{"The sound now plays on “Wohnzimmer”.", StatusKind::done}));
    time->advanceBy(2999ms);
    EXPECT_TRUE(view->statusMessage().has_value());
    time->advanceBy(1ms);
    EXPECT_EQ(view->statusMessage(), std::nullopt);

    // A failure is no success and stays; so does a discovery message that replaced good news.
    launcher->answer = [] { return exited(1, "", "kaputt"); };
    settings->setDeviceName("Bad");
    view->startConnect();
    settle();
    EXPECT_EQ(view->statusLine(),
              (StatusLine{"Could not switch to “Bad”. Is it on and connected? The log says more.",
                          StatusKind::error}));
    // Connect now takes the list's first present entry when the preferred output gives up.
    settings->setFallbackOutputs({"Küche"});
    orchestrator->setPresentOutputs([] {
        return SoundOutputs::List(std::vector<SoundOutput>{{"Küche", "k", false}});
    });
    view->startConnect();
    settle();
    EXPECT_EQ(view->statusMessage(), "“Bad” is not there; the sound now plays on “Küche”.");
    settings->setDeviceName("Küche");
    view->startConnect();
    settle();
    menu->setTrusted(false);
    view->startDiscovery();
    settle();
    time->advanceBy(10s);
    EXPECT_EQ(view->statusMessage(), "Error: kaputt");
}

TEST_F(SettingsViewTest, AnEmptyNameDisablesConnectWhileBlanksReachTheOrchestratorAsStored) {
    settings->setDeviceName("");
    EXPECT_FALSE(view->canConnect());

    settings->setDeviceName("  ");
    EXPECT_TRUE(view->canConnect());
    view->startConnect();
    EXPECT_EQ(view->statusMessage(), "Connecting to   …");
    settle();
    EXPECT_THAT(log->lines(),
                Contains("error: [AirPlay] No device configured — skipping reconnect"));
    EXPECT_EQ(view->statusMessage(), "Enter the name of an output first.");
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
    EXPECT_EQ(std::pair(closed.expired(), redraws), std::pair(true, 0));
    EXPECT_EQ(menu->selectedOutput(), "Wohnzimmer");  // the closing cancelled no reconnect
}

TEST_F(SettingsViewTest, WithoutAnOrchestratorOrAnUpdateCallbackPressesDoNothing) {
    // Showing the window with an orchestrator pushes the delays: see the widget test.
    const auto alone = SettingsView::create(settings, nullptr, {}, services());
    alone->windowShown();
    alone->checkForUpdates();
    alone->startConnect();
    EXPECT_EQ(alone->statusMessage(), "Connecting to Arbeitszimmer…");
    time->advanceBy(0ns);
    EXPECT_EQ(alone->statusMessage(), std::nullopt);  // nothing was tried
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

// Where no permission can be missing, the badge names what the desktop lacks instead, and a
// failed discovery that it explains is not told twice.
TEST_F(SettingsViewTest, TheBadgeNamesTheMissingPartAndItsButtonOpensSoundSettings) {
    readiness = std::make_shared<ScriptedDesktopReadiness>();
    view = makeView(orchestrator);
    EXPECT_EQ(view->badge().text, "");  // nothing while the first look runs, or when ready
    view->windowShown();
    settle();
    EXPECT_EQ(std::pair(view->badge().text, view->badge().tone),
              std::pair(std::string(), SettingsView::Tone::success));

    readiness->soundServer = false;
    readiness->systemBus = false;
    launcher->answer = [] { return exited(1, "", "Connection refused"); };
    view->startDiscovery();
    settle();  // the failure asks for a fresh look at the desktop
    EXPECT_EQ(view->statusMessage(), "Error: Connection refused");
    EXPECT_EQ(view->statusLine(), std::nullopt);
    settle();
    EXPECT_EQ(view->statusLine(), std::nullopt);
    EXPECT_EQ(std::pair(view->badge().text, view->badge().tone),
              std::pair(std::string("Sound server not answering"), SettingsView::Tone::warning));
    EXPECT_EQ(view->discoveryHint(), "");
    readiness->soundServer = true;
    view->windowActivated();
    settle();
    EXPECT_EQ(view->badge().text, "No wake signals");
    EXPECT_EQ(view->statusLine(), (StatusLine{"Error: Connection refused", StatusKind::error}));

    view->openSettingsPane();
    settle();
    EXPECT_THAT(workspace->opened(), ElementsAre(std::string(kSoundSettingsAddress)));
}

// The ranking: the entries above, the preferred output's fixed row, the entries below; what
// can be added, how entries move across the preferred row, and that only an edit writes the
// lists (cleaned) back.
TEST_F(SettingsViewTest, TheRankingAddsMovesAndRemovesByItsRulesAndWritesOnlyEdits) {
    settings->setDeviceName("Wohnzimmer");
    defaults->preload(AppSettings::kPriorityOutputsKey, DefaultsStringList{"Kopfhörer", " "});
    defaults->preload(AppSettings::kFallbackOutputsKey,
                      DefaultsStringList{"Küche", "Wohnzimmer", "Kopfhörer", "Bad"});
    settings = std::make_shared<AppSettings>(defaults);
    view = makeView(orchestrator);
    const auto& ranking = view->ranking();
    const std::size_t writes = defaults->writes().size();
    const auto rows = [&] {
        std::vector<std::string> texts;
        for (const auto& row : view->rankingRows()) {
            texts.push_back(row.preferred ? "[" + row.accessibleName + "]" : row.accessibleName);
        }
        return texts;
    };
    EXPECT_THAT(
        rows(),
        ElementsAre("Kopfhörer, above the preferred output", "[Wohnzimmer — preferred output]",
                    "Küche, below the preferred output", "Bad, below the preferred output"));
    view->selectRankingRow(1);  // the preferred row cannot be selected
    EXPECT_FALSE(ranking.selected() || ranking.canRemove() || ranking.canMoveUp());
    using Refusal = RankingEditor::Refusal;
    for (const auto& [name, refusal] :
         std::vector<std::pair<std::string, Refusal>>{{" \t", Refusal::blank},
                                                      {"Wohnzimmer", Refusal::preferred},
                                                      {"Ku\u0308che", Refusal::repeated},
                                                      {"Kopfhörer", Refusal::repeated},
                                                      {"küche", Refusal::none}}) {
        view->setRankingDraft(name);
        EXPECT_EQ(ranking.draftRefusal(), refusal) << name;
        EXPECT_EQ(ranking.canAdd(), refusal == Refusal::none) << name;
    }
    EXPECT_EQ(defaults->writes().size(), writes);  // nothing edited yet: the file stays

    // A new entry goes last; the first edit writes both lists cleaned.
    view->addToRanking();
    EXPECT_THAT(settings->priorityOutputs(), ElementsAre("Kopfhörer"));
    EXPECT_THAT(settings->fallbackOutputs(), ElementsAre("Küche", "Bad", "küche"));
    EXPECT_TRUE(ranking.draft().empty() && ranking.selected() == 4U && ranking.canMoveUp() &&
                !ranking.canMoveDown());
    // Up across the preferred row and back down across it; whoever watches the lists (each is
    // announced with its new value before it is stored) never finds the entry on neither.
    std::vector<bool> ranked;
    const auto rankedWith = [&](const auto& above, const auto& below) {
        ranked.push_back(OutputRanking("Wohnzimmer", above, below).rankOf("küche").has_value());
    };
    auto aboveWatch = settings->observePriorityOutputs(
        [&](const auto& above) { rankedWith(above, settings->fallbackOutputs()); },
        Observation::skipCurrent);
    auto belowWatch = settings->observeFallbackOutputs(
        [&](const auto& below) { rankedWith(settings->priorityOutputs(), below); },
        Observation::skipCurrent);
    view->moveRankingRowUp();
    view->moveRankingRowUp();
    view->moveRankingRowUp();
    EXPECT_THAT(settings->priorityOutputs(), ElementsAre("Kopfhörer", "küche"));
    EXPECT_THAT(settings->fallbackOutputs(), ElementsAre("Küche", "Bad"));
    EXPECT_EQ(std::pair(ranking.selected(), ranking.preferredRow()),
              std::pair(std::optional<std::size_t>(1), std::size_t{2}));
    view->moveRankingRowUp();
    view->moveRankingRowUp();  // already first
    view->moveRankingRowDown();
    view->moveRankingRowDown();
    EXPECT_THAT(settings->priorityOutputs(), ElementsAre("Kopfhörer"));
    EXPECT_THAT(settings->fallbackOutputs(), ElementsAre("küche", "Küche", "Bad"));
    EXPECT_EQ(ranking.selected(), 2U);
    EXPECT_THAT(ranked, Each(true));
    // Removals stay on their side of the preferred row.
    view->selectRankingRow(0);
    view->removeFromRanking();
    EXPECT_EQ(ranking.selected(), std::nullopt);
    view->selectRankingRow(3);
    view->removeFromRanking();  // the last goes: its neighbour before it is selected
    EXPECT_EQ(ranking.selected(), 2U);
    view->removeFromRanking();
    view->removeFromRanking();
    EXPECT_TRUE(settings->priorityOutputs().empty() && settings->fallbackOutputs().empty() &&
                !ranking.selected());

    // Sixteen at most, above and below together; the found outputs offered are the ones that
    // could still be added.
    settings->setPriorityOutputs({"Ausgabe 0"});
    for (int i = 1; i < 16; ++i) {
        view->setRankingDraft("Ausgabe " + std::to_string(i));
        view->addToRanking();
    }
    view->setRankingDraft("Noch eine");
    EXPECT_EQ(view->rankingRefusal(), "The list holds at most 16 outputs.");
    view->selectRankingRow(2);
    view->removeFromRanking();
    SoundMenuScene::build(*menu, {"Wohnzimmer", "Ausgabe 0", "Ausgabe 3", "Garten", "Garten"});
    view->startDiscovery();
    settle();
    EXPECT_THAT(view->rankingCandidates(), ElementsAre("Garten"));
}

// The Bluetooth switch shows only while a ranked output is known as a Bluetooth device.
TEST_F(SettingsViewTest, TheBluetoothSwitchShowsOnceARankedOutputIsABluetoothDevice) {
    settings->setBluetoothOutputs({{"Kopfho\u0308rer", "00:1A:7D:DA:71:13"}});
    EXPECT_FALSE(view->showsBluetoothSwitch());
    settings->setFallbackOutputs({"Kopfhörer"});
    EXPECT_TRUE(view->showsBluetoothSwitch());
    settings->setDeviceName("Kopfhörer");  // the preferred output is ranked too
    EXPECT_TRUE(view->showsBluetoothSwitch());
}

}  // namespace
}  // namespace tonvera::testing
