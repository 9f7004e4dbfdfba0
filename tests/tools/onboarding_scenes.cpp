#include "onboarding_scenes.h"

#include "platform/testing/sound_menu_scene.h"

namespace tonvera::testing {
namespace {

void withSoundMenu(OnboardingHarness& harness) {
    SoundMenuScene::build(*harness.menu, {"Wohnzimmer", "Büro", "HomePod Küche"});
    harness.menu->selectOutput("Büro");
}

void withoutSoundItem(OnboardingHarness& harness) {
    harness.menu->addApplication(
        hostApplication("ControlCenter", SoundMenuScene::kControlCenterPid));
}

void toSpeakerPage(OnboardingHarness& harness, OnboardingView& view) {
    view.nextStep();
    view.nextStep();
    harness.settle();
}

}  // namespace

std::vector<OnboardingScene> onboardingScenes() {
    std::vector<OnboardingScene> scenes;
    scenes.push_back({"welcome", withSoundMenu, [](auto&, auto&) {}});
    scenes.push_back({"permission-missing",
                      [](OnboardingHarness& harness) {
                          withSoundMenu(harness);
                          harness.menu->setTrusted(false);
                      },
                      [](auto&, OnboardingView& view) { view.nextStep(); }});
    scenes.push_back({"permission-granted", withSoundMenu,
                      [](auto&, OnboardingView& view) { view.nextStep(); }});
    scenes.push_back({"speaker-found", withSoundMenu, toSpeakerPage, true});
    scenes.push_back({"speaker-missing", withoutSoundItem, toSpeakerPage, true});
    scenes.push_back({"speaker-unknown", withSoundMenu,
                      [](OnboardingHarness& harness, OnboardingView& view) {
                          toSpeakerPage(harness, view);
                          // Revoked after step 1, then "Check again".
                          harness.menu->setTrusted(false);
                          view.checkPermission();
                          view.checkSoundMenu();
                          harness.settle();
                      },
                      true});
    scenes.push_back(
        {"speaker-searching", withSoundMenu, [](OnboardingHarness& harness, OnboardingView& view) {
             toSpeakerPage(harness, view);
             view.startDiscovery();
         }});
    scenes.push_back({"speaker-devices", withSoundMenu,
                      [](OnboardingHarness& harness, OnboardingView& view) {
                          toSpeakerPage(harness, view);
                          view.startDiscovery();
                          harness.settle();
                          view.chooseDevice("Büro");
                          harness.settle();
                      },
                      true});
    scenes.push_back(
        {"speaker-no-devices", withSoundMenu, [](OnboardingHarness& harness, OnboardingView& view) {
             harness.menu->setEntriesAppearAfter(std::chrono::seconds(30));
             toSpeakerPage(harness, view);
             view.startDiscovery();
             harness.settle();
         }});
    scenes.push_back(
        {"speaker-error", withoutSoundItem, [](OnboardingHarness& harness, OnboardingView& view) {
             harness.launcher->answer = [] {
                 return exited(1, "",
                               "System Events got an error: Can’t get "
                               "menu bar 1 of process \"ControlCenter\".");
             };
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

}  // namespace tonvera::testing
