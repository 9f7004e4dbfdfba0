#include "platform/qt/widgets/onboarding_widget.h"
#include "platform/sound_menu_contract.h"
#include "platform/testing/sound_menu_scene.h"
#include "support/view_harness.h"
#include "tools/screenshots/scene.h"

namespace tonvera::screenshots {
namespace {

using testing::hostApplication;
using testing::OnboardingHarness;
using testing::SoundMenuScene;

// One state of the onboarding window, as a Linux desktop composes it (the desktop's readiness
// in place of the permission): its surroundings before the window opens, and what happens in
// the open window; in English unless `german`.
struct OnboardingScene {
    std::string name;
    std::function<void(OnboardingHarness&)> prepare;
    std::function<void(OnboardingHarness&, OnboardingView&)> play;
    bool german = false;
};

void withSoundMenu(OnboardingHarness& harness) {
    SoundMenuScene::build(*harness.menu, {"Wohnzimmer", "Büro", "Küche Radio"});
    harness.menu->selectOutput("Büro");
}

// No sound server: the readiness says so, the Sound menu over it has no outputs, and the
// script route's tools find no server either.
void withoutSoundServer(OnboardingHarness& harness) {
    harness.menu->addApplication(hostApplication(std::string(sound_menu::kControlCenter),
                                                 SoundMenuScene::kControlCenterPid));
    harness.readiness->soundServer = false;
    withoutSoundServerScripts(harness);
}

void withFiveOutputs(OnboardingHarness& harness) {
    SoundMenuScene::build(*harness.menu,
                          {"Wohnzimmer", "Büro", "Küche", "Bluetooth-Box", "USB Audio"});
    harness.menu->selectOutput("Büro");
}

void toReadinessPage(OnboardingHarness& harness, OnboardingView& view) {
    view.nextStep();
    harness.settle();
}

void toSpeakerPage(OnboardingHarness& harness, OnboardingView& view) {
    view.nextStep();
    view.nextStep();
    harness.settle();
}

std::vector<OnboardingScene> onboardingStates() {
    std::vector<OnboardingScene> scenes;
    const auto trayAndSoundMissing = [](OnboardingHarness& harness) {
        withoutSoundServer(harness);
        harness.readiness->trayHost = false;
    };
    const auto choosingFromFive = [](OnboardingHarness& harness, OnboardingView& view) {
        toSpeakerPage(harness, view);
        view.startDiscovery();
        harness.settle();
        view.chooseDevice("Büro");
        harness.settle();
    };
    scenes.push_back({"welcome", withSoundMenu, [](auto&, auto&) {}});
    scenes.push_back({"welcome-german", withSoundMenu, [](auto&, auto&) {}, true});
    scenes.push_back({"readiness-checking", withSoundMenu,
                      [](auto&, OnboardingView& view) { view.nextStep(); }});
    scenes.push_back({"readiness-ready", withSoundMenu, toReadinessPage});
    scenes.push_back({"readiness-missing", trayAndSoundMissing, toReadinessPage});
    scenes.push_back({"readiness-german", trayAndSoundMissing, toReadinessPage, true});
    // The page as it opens: the sound server answers, the name is the stored one.
    scenes.push_back({"speaker", withSoundMenu, toSpeakerPage});
    // No sound server: the card says so, and a search adds no second error.
    scenes.push_back({"speaker-missing", withoutSoundServer,
                      [](OnboardingHarness& harness, OnboardingView& view) {
                          toSpeakerPage(harness, view);
                          view.startDiscovery();
                          harness.settle();
                          harness.settle();
                      }});
    scenes.push_back(
        {"speaker-searching", withSoundMenu, [](OnboardingHarness& harness, OnboardingView& view) {
             toSpeakerPage(harness, view);
             view.startDiscovery();
         }});
    scenes.push_back({"speaker-devices", withFiveOutputs, choosingFromFive});
    scenes.push_back({"speaker-german", withFiveOutputs, choosingFromFive, true});
    scenes.push_back(
        {"speaker-no-devices", withSoundMenu, [](OnboardingHarness& harness, OnboardingView& view) {
             harness.menu->setEntriesAppearAfter(std::chrono::seconds(30));
             toSpeakerPage(harness, view);
             view.startDiscovery();
             harness.settle();
         }});
    scenes.push_back(
        {"speaker-testing", withSoundMenu, [](OnboardingHarness& harness, OnboardingView& view) {
             toSpeakerPage(harness, view);
             view.setDeviceName("Wohnzimmer");
             harness.settle();
             view.testConnection();
         }});
    scenes.push_back(
        {"speaker-test-done", withSoundMenu, [](OnboardingHarness& harness, OnboardingView& view) {
             toSpeakerPage(harness, view);
             view.setDeviceName("Wohnzimmer");
             view.testConnection();
             harness.settle();
         }});
    scenes.push_back(
        {"speaker-empty-name", withSoundMenu, [](OnboardingHarness& harness, OnboardingView& view) {
             toSpeakerPage(harness, view);
             view.setDeviceName("");
             harness.settle();
         }});
    return scenes;
}

Scene sceneOf(const OnboardingScene& state) {
    return Scene{
        "onboarding-" + state.name, [state] {
            auto harness = std::make_shared<OnboardingHarness>();
            harness->localizer = state.german ? germanLocalizer() : englishLocalizer();
            harness->readiness = std::make_shared<testing::ScriptedDesktopReadiness>();
            state.prepare(*harness);
            auto view = harness->makeView();
            SceneWindow window{
                makeOnboardingWidget(view),
                QSize(OnboardingView::kContentWidth, OnboardingView::kContentHeight),
                std::make_shared<std::pair<decltype(harness), decltype(view)>>(harness, view),
                {}};
            window.afterShow = [state, harness, view] { state.play(*harness, *view); };
            return window;
        }};
}

}  // namespace

std::vector<Scene> onboardingScenes() {
    std::vector<Scene> scenes;
    for (const auto& state : onboardingStates()) {
        scenes.push_back(sceneOf(state));
    }
    return scenes;
}

}  // namespace tonvera::screenshots
