#include <algorithm>
#include <chrono>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/testing/sound_menu_scene.h"
#include "support/view_harness.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;

constexpr const char* kFoundLine = "info: [AirPlay] Sound menu in menu bar: found";

struct OnboardingViewTest : ::testing::Test, OnboardingHarness {
    std::shared_ptr<OnboardingView> view;
    int redraws = 0;
    Subscription redrawSubscription;

    void open() {
        view = makeView();
        redrawSubscription = view->observeChanges([this] { ++redraws; });
        view->appeared();
    }

    // Walks to the speaker page and lets its Sound-item check finish.
    void openOnSpeakerPage() {
        open();
        view->nextStep();
        view->nextStep();
        settle();
    }
};

TEST_F(OnboardingViewTest, PollingFollowsThePermissionWithinATickAndRedrawsOnlyOnChange) {
    menu->setTrusted(false);
    open();
    view->nextStep();
    ASSERT_EQ(view->currentStep(), 1);
    EXPECT_FALSE(view->canContinue());
    view->nextStep();  // Return on a disabled "Continue"
    EXPECT_EQ(view->currentStep(), 1);

    redraws = 0;
    time->advanceBy(3s);
    EXPECT_EQ(redraws, 0) << "an unchanged permission must not redraw";

    menu->setTrusted(true);
    time->advanceBy(1s);
    EXPECT_EQ(std::tuple(view->permissionGranted(), view->canContinue(), redraws),
              std::tuple(true, true, 1));

    view->disappeared();  // the window closes by its close box
    menu->setTrusted(false);
    time->advanceBy(5s);
    // A stopped timer must not fire again.
    EXPECT_EQ(
        std::tuple(view->permissionGranted(), settings->hasCompletedOnboarding(), finishCalls),
        std::tuple(true, false, 0));
}

TEST_F(OnboardingViewTest, RevokingOrGoingBackChecksTheSoundMenuAgainAndTheNewestCheckCounts) {
    SoundMenuScene::build(*menu, {"Wohnzimmer"});
    openOnSpeakerPage();
    ASSERT_THAT(view->soundMenuFound(), Optional(true));
    EXPECT_TRUE(view->canFinish());

    menu->setTrusted(false);
    time->advanceBy(1s);
    EXPECT_EQ(std::pair(view->canFinish(), view->soundMenuFound()),
              std::pair(false, std::optional(true)));

    view->checkSoundMenu();  // "Check again" without permission forgets the result
    settle();
    EXPECT_EQ(view->soundMenuFound(), std::nullopt);

    menu->setTrusted(true);  // granted again while the page is shown: checked at once
    time->advanceBy(1s);
    settle();
    EXPECT_THAT(view->soundMenuFound(), Optional(true));
    EXPECT_EQ(std::ranges::count(log->lines(), kFoundLine), 2);

    menu->setTrusted(false);  // no tick passes: entering step 1 must read it itself
    view->previousStep();
    EXPECT_FALSE(view->permissionGranted());
    menu->setTrusted(true);
    view->checkPermission();  // "Check again"
    view->nextStep();
    settle();
    EXPECT_EQ(std::ranges::count(log->lines(), kFoundLine), 3);

    // A slow check that was overtaken by a check without permission must not show its result.
    view->checkSoundMenu();
    menu->setTrusted(false);
    view->checkPermission();
    view->checkSoundMenu();
    settle();
    EXPECT_EQ(view->soundMenuFound(), std::nullopt);
}

TEST_F(OnboardingViewTest, NamesAreUsedAsTypedAndBlankNamesCannotFinish) {
    SoundMenuScene::build(*menu, {"Wohnzimmer", " Büro "});
    menu->selectOutput("Wohnzimmer");
    openOnSpeakerPage();

    view->setDeviceName(" \t ");
    EXPECT_FALSE(view->canFinish() || view->canTest());
    view->completeOnboarding();  // Return on a disabled "Done"
    EXPECT_FALSE(settings->hasCompletedOnboarding());

    view->setDeviceName(" Büro ");
    EXPECT_TRUE(view->canFinish());
    view->testConnection();
    EXPECT_FALSE(view->canTest());
    EXPECT_THAT(view->statusMessage(), Optional(std::string("Testing connection to  Büro …")));
    settle();
    EXPECT_EQ(menu->selectedOutput(), " Büro ");
    EXPECT_THAT(view->statusMessage(), Optional(std::string("The sound now plays on “ Büro ”.")));

    log->clear();
    view->completeOnboarding();
    EXPECT_TRUE(settings->hasCompletedOnboarding());
    EXPECT_THAT(log->lines(),
                ElementsAre("info: [AirPlay] Onboarding abgeschlossen — Gerät:  Büro "));
    EXPECT_EQ(std::get<std::string>(*defaults->object(AppSettings::kDeviceNameKey)), " Büro ");
    EXPECT_EQ(finishCalls, 1);
}

TEST_F(OnboardingViewTest, DiscoveryFallsBackToTheScriptAndNamesEachOutcome) {
    const auto discover = [this] {
        view->startDiscovery();
        EXPECT_FALSE(view->canSearch());
        view->startDiscovery();  // a second press while it runs does nothing
        EXPECT_EQ(tasks->pendingCount(), 1U);
        settle();
        return view->statusMessage().value_or("(none)");
    };
    const auto scene = SoundMenuScene::build(*menu, {"Wohnzimmer", "Küche", "wohnzimmer"});
    open();
    EXPECT_EQ(discover(), "3 device(s) found.");
    EXPECT_THAT(view->availableDevices(), ElementsAre("Wohnzimmer", "Küche", "wohnzimmer"));
    view->chooseDevice("wohnzimmer");
    EXPECT_TRUE(view->isChosen("wohnzimmer") && !view->isChosen("Wohnzimmer"));
    EXPECT_THAT(launcher->calls(), IsEmpty());

    menu->setEntriesAppearAfter(10s);  // the native route opens the menu but lists nothing
    EXPECT_EQ(discover(), "No devices found — enter the name manually or check Wi-Fi.");
    EXPECT_THAT(view->availableDevices(), IsEmpty());

    menu->setPressResult(scene.soundItem, kAXErrorCannotComplete);  // native route fails
    launcher->answer = [] { return exited(0, "\n"); };
    EXPECT_EQ(discover(), "No devices found.");

    launcher->answer = [] { return ProcessResult{.ending = ProcessResult::Ending::timedOut}; };
    EXPECT_EQ(discover(), "Error: Zeitüberschreitung beim Warten auf UI-Element.");
    EXPECT_THAT(view->availableDevices(), IsEmpty());
    EXPECT_TRUE(view->canSearch());
}

TEST_F(OnboardingViewTest, ATestStartedBeforeTheWindowClosedStillRuns) {
    SoundMenuScene::build(*menu, {"Wohnzimmer", "Küche"});
    menu->selectOutput("Küche");
    settings->setDeviceName("Wohnzimmer");
    openOnSpeakerPage();
    view->testConnection();
    view->disappeared();
    const std::weak_ptr<OnboardingView> closed = view;
    view.reset();
    ASSERT_TRUE(closed.expired());

    settle();
    EXPECT_EQ(std::pair(menu->selectedOutput(), settings->hasCompletedOnboarding()),
              std::pair(std::string("Wohnzimmer"), false));
}

// Where no permission can be missing, the desktop's readiness is shown instead: looked at off
// the main thread when the step is entered or the window activated, never polled.
TEST_F(OnboardingViewTest, TheDesktopStepLooksOnEntryAndActivationAndNeverBlocksContinue) {
    readiness = std::make_shared<ScriptedDesktopReadiness>();
    readiness->trayHost = false;
    view = makeView();
    view->appeared();
    view->activated();  // on the welcome page: no look
    settle();
    EXPECT_EQ(readiness->looks, 0);

    view->nextStep();
    EXPECT_TRUE(view->isCheckingReadiness() && !view->readinessReport() && view->canContinue());
    // Two activations during the look: one more look after it, not two.
    view->activated();
    view->activated();
    settle();
    EXPECT_EQ(view->readinessReport(), (ReadinessReport{false, true, true}));
    readiness->trayHost = true;  // the extension is switched on meanwhile
    settle();
    EXPECT_TRUE(readiness->looks == 2 && view->readinessReport()->allReady() &&
                !view->isCheckingReadiness());

    // A second of polling passes: the permission is read, the desktop is not asked again.
    time->advanceBy(3s);
    settle();
    EXPECT_EQ(readiness->looks, 2);
    view->nextStep();
    EXPECT_EQ(view->currentStep(), OnboardingView::speaker);

    // Without a sound server the card says so; a failed search then adds no second error.
    launcher->answer = [] { return exited(1, "", "Connection refused"); };
    view->startDiscovery();
    settle();
    EXPECT_EQ(view->soundMenuFound(), false);
    EXPECT_EQ(view->statusMessage(), "Error: Connection refused");
    EXPECT_FALSE(view->statusLine() || view->showsSoundItemPicture());
    SoundMenuScene::build(*menu, {"Küche"});
    view->checkSoundMenu();
    EXPECT_EQ(view->statusLine(), std::nullopt);  // while the look runs
    settle();
    EXPECT_EQ(view->statusLine(), (StatusLine{"Error: Connection refused", StatusKind::error}));
}

}  // namespace
}  // namespace tonvera::testing
