#include "app/app_delegate.h"

#include <gmock/gmock.h>

#include "app_fixture.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

struct AppDelegateTest : AppFixture {
    std::shared_ptr<AppDelegate> launch() {
        auto env = environment();
        settings = env.settings;
        auto delegate = AppDelegate::create(std::move(env));
        delegate->applicationDidFinishLaunching();
        return delegate;
    }
};

TEST_F(AppDelegateTest, FirstLaunchWithoutPermissionLeadsToOnboardingAndARefusedReconnect) {
    menu->setTrusted(false);
    const auto delegate = launch();
    EXPECT_THAT(log->lines(),
                ElementsAre("info: [AirPlay] App started", "info: [AirPlay] Linux version: 6.1.0",
                            "info: [AirPlay] Accessibility permission: missing",
                            "info: [AirPlay] Onboarding erforderlich — zeige Willkommens-Screen",
                            "error: [AirPlay] Accessibility permission missing — zeige Onboarding "
                            "mit Berechtigungs-Schritt",
                            "info: [AirPlay] Registered as login item",
                            "info: [AirPlay] WakeMonitor started — observing didWake / "
                            "screensDidWake",
                            "info: [AirPlay] Connect at login enabled — starting initial "
                            "reconnect for Arbeitszimmer"));
    EXPECT_EQ(application->accessoryRequests, 1);
    log->clear();

    advance(599ms);
    EXPECT_THAT(windows->windows(), IsEmpty());
    advance(1ms);
    ASSERT_EQ(windows->windows().size(), 1U);
    EXPECT_EQ(windows->windows()[0]->options().title, "Tonvera — Welcome");

    advance(1400ms);  // 2 s: no question (onboarding not done), the reconnect is refused
    EXPECT_THAT(alerts->shown(), IsEmpty());
    EXPECT_THAT(log->lines(), ElementsAre(HasSubstr("permission missing — aborting reconnect")));
    EXPECT_EQ(delegate->orchestrator()->retryDelays(), (std::vector<double>{0, 1, 2, 4}));

    advance(8s);  // 10 s: the silent check finds nothing new and shows nothing
    EXPECT_THAT(alerts->shown(), IsEmpty());
    EXPECT_EQ(log->lines().back(), "info: [AirPlay] Update check: up to date (0.1.0)");
}

TEST_F(AppDelegateTest, CompletedOnboardingAsksTheLoginQuestionOnceAndANoUnregisters) {
    defaults->preload(AppSettings::kHasCompletedOnboardingKey, true);
    defaults->preload(AppSettings::kConnectAtLoginKey, false);
    loginItem->setStatus(LoginItemStatus::enabled);
    alerts->answerNext(kAlertFirstButtonReturn + 1);  // "No"
    const auto delegate = launch();
    advance(1499ms);
    EXPECT_THAT(alerts->shown(), IsEmpty());
    advance(1ms);
    ASSERT_EQ(alerts->shown().size(), 1U);
    const AlertContent question = alerts->shown()[0];
    EXPECT_EQ(std::tuple(question.messageText, question.buttons, question.style),
              std::tuple("Open at Mac startup?", std::vector<std::string>{"Yes, enable", "No"},
                         AlertStyle::informational));
    EXPECT_THAT(windows->windows(), IsEmpty());
    EXPECT_EQ(loginItem->status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(std::pair(*defaults->object(AppSettings::kLaunchAtLoginKey),
                        *defaults->object(AppSettings::kLaunchAtLoginAskedKey)),
              std::pair(DefaultsValue(false), DefaultsValue(true)));
    const auto lines = log->lines();
    EXPECT_THAT(std::vector(lines.end() - 2, lines.end()),
                ElementsAre("info: [AirPlay] Unregistered login item",
                            "info: [AirPlay] Launch at login: disabled"));
    delegate->askLaunchAtLogin();
    EXPECT_EQ(alerts->shown().size(), 1U);

    // Later changes (the Settings window) reach the login item at once; failures are only logged.
    log->clear();
    loginItem->failure = "Permission denied";
    settings->setLaunchAtLogin(true);
    EXPECT_THAT(log->lines(), ElementsAre("error: [AirPlay] Login item failed: Permission denied"));
}

TEST_F(AppDelegateTest, RevokedPermissionShowsOnboardingThenTheQuestionAndQuittingIsNoAnswer) {
    defaults->preload(AppSettings::kHasCompletedOnboardingKey, true);
    menu->setTrusted(false);
    loginItem->setStatus(LoginItemStatus::enabled);
    alerts->answerNext(kAlertClosedByQuit);
    const auto delegate = launch();
    advance(600ms);
    EXPECT_EQ(windows->windows().size(), 1U);
    EXPECT_THAT(alerts->shown(), IsEmpty());
    advance(900ms);
    EXPECT_THAT(alerts->shown(),
                ElementsAre(Field(&AlertContent::messageText, "Open at Mac startup?")));
    EXPECT_EQ(loginItem->status(), LoginItemStatus::enabled);
    EXPECT_FALSE(defaults->hasStoredValue(AppSettings::kLaunchAtLoginAskedKey) ||
                 defaults->hasStoredValue(AppSettings::kLaunchAtLoginKey));
    EXPECT_THAT(log->lines(), Not(Contains(HasSubstr("Launch at login"))));
    delegate->askLaunchAtLogin();  // the next start asks again
    EXPECT_EQ(alerts->shown().size(), 2U);
}

TEST_F(AppDelegateTest, UpdateResultsAreLoggedAndShownOnlyWhenAskedOrNew) {
    const auto delegate = launch();
    const WebAddress download{"https://example.org/get", "https", "example.org"};
    delegate->presentUpdateResult(UpdateCheckFailed{"offline"}, true);  // silent: see first launch
    EXPECT_THAT(alerts->shown(), IsEmpty());

    delegate->presentUpdateResult(UpToDate{"0.1.0"}, false);
    delegate->presentUpdateResult(UpdateCheckFailed{"offline"}, false);
    alerts->answerNext(kAlertFirstButtonReturn + 1);  // "Later"
    delegate->presentUpdateResult(UpdateAvailable{"0.2.0", download}, true);
    alerts->answerNext(kAlertFirstButtonReturn);  // "Download"
    delegate->presentUpdateResult(UpdateAvailable{"0.2.0", download}, false);

    const auto shown = alerts->shown();
    ASSERT_EQ(shown.size(), 4U);
    EXPECT_EQ(shown[0].informativeText, "Version 0.1.0 is installed.");
    EXPECT_EQ(std::pair(shown[1].messageText, shown[1].informativeText),
              std::pair(std::string("Could not check for updates."), std::string("offline")));
    EXPECT_EQ(shown[2].informativeText,
              "Version 0.2.0 is available (installed: 0.1.0). Download now?");
    settle();
    EXPECT_THAT(workspace->opened(), ElementsAre("https://example.org/get"));
    // No browser opened it: the person is told where the download is.
    EXPECT_EQ(alerts->shown().back().informativeText,
              "Open this address in your web browser: https://example.org/get");

    http->error = "Could not resolve host";
    log->clear();
    delegate->checkForUpdates(false);
    settle();
    EXPECT_THAT(log->lines(),
                ElementsAre("error: [AirPlay] Update check failed: Could not resolve host"));
    EXPECT_EQ(alerts->shown().back().messageText, "Could not check for updates.");
}

TEST_F(AppDelegateTest, ReopenBringsOnboardingForwardAndFinishingClosesItReconnectsAndAsks) {
    // Without the reconnect at login, only finishing can have selected the speaker.
    defaults->preload(AppSettings::kConnectAtLoginKey, false);
    const auto delegate = launch();
    EXPECT_FALSE(delegate->applicationShouldHandleReopen());
    EXPECT_FALSE(delegate->applicationShouldHandleReopen());
    ASSERT_EQ(windows->windows().size(), 1U);  // brought forward, not a second one
    const auto window = windows->windows()[0];
    EXPECT_EQ(window->frontCount(), 2);
    advance(600ms);
    EXPECT_NE(menu->selectedOutput(), "Arbeitszimmer");
    delegate->finishOnboarding();
    EXPECT_TRUE(window->closed() && delegate->onboardingWindow() == nullptr);
    EXPECT_THAT(alerts->shown(),
                ElementsAre(Field(&AlertContent::messageText, "Open at Mac startup?")));
    settle();
    EXPECT_EQ(menu->selectedOutput(), "Arbeitszimmer");

    settings->setHasCompletedOnboarding(true);  // once done, reopening shows Settings
    delegate->applicationShouldHandleReopen();
    EXPECT_EQ(windows->windows().back()->options().title, "Tonvera");
}

TEST_F(AppDelegateTest, WakesReconnectOnlyWhileWantedAndNotAfterTermination) {
    defaults->preload(AppSettings::kConnectAtLoginKey, false);
    defaults->preload(AppSettings::kConnectOnWakeKey, false);
    const auto delegate = launch();
    log->clear();
    events->post(SystemEvent::didWake);
    advance(1s);
    EXPECT_THAT(log->lines(),
                ElementsAre("info: [AirPlay] Wake detected (didWake)",
                            "info: [AirPlay] Wake detected but automatic reconnect is disabled"));
    log->clear();
    delegate->applicationWillTerminate();
    events->post(SystemEvent::didWake);
    advance(1s);
    EXPECT_THAT(log->lines(), ElementsAre("info: [AirPlay] App terminating"));
}

TEST_F(AppDelegateTest, ASpeakerThatStaysAwayAfterAWakeIsToldOnceAndCanBeConnectedFromThere) {
    defaults->preload(AppSettings::kConnectAtLoginKey, false);
    defaults->preload(AppSettings::kDeviceNameKey, std::string("Bad"));  // not in the menu
    outputs->set({SoundOutput{"Wohnzimmer", "wohnzimmer", true}});
    const auto delegate = launch();
    events->post(SystemEvent::didWake);
    advance(1s);  // the run fails all its attempts; following goes on
    EXPECT_EQ(outputs->watchCount(), 1U);
    EXPECT_THAT(notifications->shown(), IsEmpty());
    advance(3min);
    ASSERT_EQ(notifications->shown().size(), 1U);
    const Notification& shown = notifications->shown()[0].notification;
    EXPECT_EQ(std::tuple(shown.title, shown.body, shown.actionLabel),
              std::tuple("Bad did not come back",
                         "It was not among the outputs. The sound plays on Wohnzimmer for now. "
                         "Tonvera tries again at the next wake.",
                         "Connect now"));
    log->clear();
    notifications->shown()[0].onAction();
    settle();
    EXPECT_THAT(log->lines(), Contains("info: [AirPlay] Manual connect triggered for Bad"));

    settings->setNotifyWhenSpeakerStaysAway(false);
    events->post(SystemEvent::didWake);
    advance(1s);
    advance(3min);
    EXPECT_EQ(std::pair(notifications->shown().size(), outputs->watchCount()), std::pair(1UL, 0UL));
}

}  // namespace
}  // namespace tonvera::testing
