// Where no permission can be missing, both windows show what the desktop offers instead:
// looked at off the main thread when a window is shown or activated, never polled, and never
// holding up the onboarding.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/onboarding_harness.h"
#include "support/settings_view_harness.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;

TEST(ReadinessViewTest, TheDesktopStepLooksOnEntryAndActivationAndNeverBlocksContinue) {
    OnboardingHarness harness;
    harness.readiness = std::make_shared<ScriptedDesktopReadiness>();
    harness.readiness->trayHost = false;
    const auto view = harness.makeView();
    view->appeared();
    view->activated();  // on the welcome page: no look
    harness.settle();
    EXPECT_EQ(harness.readiness->looks, 0);

    view->nextStep();
    EXPECT_TRUE(view->isCheckingReadiness());
    EXPECT_FALSE(view->readinessReport().has_value());
    EXPECT_TRUE(view->canContinue());
    // Two activations during the look: one more look after it, not two.
    view->activated();
    view->activated();
    harness.settle();
    EXPECT_EQ(view->readinessReport(), (ReadinessReport{false, true, true}));
    harness.readiness->trayHost = true;  // the extension is switched on meanwhile
    harness.settle();
    EXPECT_EQ(harness.readiness->looks, 2);
    EXPECT_TRUE(view->readinessReport()->allReady());
    EXPECT_FALSE(view->isCheckingReadiness());

    // A second of polling passes: the permission is read, the desktop is not asked again.
    harness.time->advanceBy(3s);
    harness.settle();
    EXPECT_EQ(harness.readiness->looks, 2);
    view->nextStep();
    EXPECT_EQ(view->currentStep(), OnboardingView::speaker);
}

TEST(ReadinessViewTest, TheSettingsBadgeNamesTheMissingPartAndItsButtonOpensSoundSettings) {
    SettingsViewHarness harness;
    harness.readiness = std::make_shared<ScriptedDesktopReadiness>();
    const auto view = harness.makeView(harness.orchestrator);
    EXPECT_EQ(view->badge().text, "Checking…");
    EXPECT_EQ(view->badge().tone, SettingsView::Tone::pending);
    view->windowShown();
    harness.settle();
    EXPECT_EQ(view->badge().text, "Ready");
    EXPECT_EQ(view->badge().tone, SettingsView::Tone::success);
    EXPECT_EQ(view->discoveryHint(), "");

    harness.readiness->soundServer = false;
    harness.readiness->systemBus = false;
    view->windowActivated();
    harness.settle();
    EXPECT_EQ(view->badge().text, "Sound server not answering");
    EXPECT_EQ(view->badge().tone, SettingsView::Tone::warning);
    EXPECT_EQ(view->discoveryHint(), "Sound server not answering");
    harness.readiness->soundServer = true;
    view->windowActivated();
    harness.settle();
    EXPECT_EQ(view->badge().text, "No wake signals");

    view->openSettingsPane();
    harness.settle();
    EXPECT_THAT(harness.workspace->opened(),
                ::testing::ElementsAre(std::string(kSoundSettingsAddress)));
}

}  // namespace
}  // namespace tonvera::testing
