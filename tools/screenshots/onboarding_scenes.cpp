#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>

#include "platform/qt/widgets/onboarding_widget.h"
#include "platform/testing/sound_menu_scene.h"
#include "support/onboarding_harness.h"
#include "tools/screenshots/scene.h"

namespace tonvera::screenshots {
namespace {

using testing::exited;
using testing::hostApplication;
using testing::OnboardingHarness;
using testing::SoundMenuScene;

// One state of the onboarding window, as a Linux desktop composes it (the desktop's readiness
// in place of the permission): its surroundings before the window opens, and what happens in
// the open window. A page taller than the window is also drawn scrolled to its end; `inView`
// names the widget the picture is about, scrolled into view when the page is taller.
struct OnboardingScene {
    std::string name;
    std::function<void(OnboardingHarness&)> prepare;
    std::function<void(OnboardingHarness&, OnboardingView&)> play;
    bool alsoScrolled = false;
    const char* inView = nullptr;
};

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

std::vector<OnboardingScene> onboardingStates() {
    std::vector<OnboardingScene> scenes;
    scenes.push_back({"welcome", withSoundMenu, [](auto&, auto&) {}});
    scenes.push_back({"readiness-checking", withSoundMenu,
                      [](auto&, OnboardingView& view) { view.nextStep(); }});
    scenes.push_back(
        {"readiness-ready", withSoundMenu, [](OnboardingHarness& harness, OnboardingView& view) {
             view.nextStep();
             harness.settle();
         }});
    scenes.push_back({"readiness-missing",
                      [](OnboardingHarness& harness) {
                          withoutSoundItem(harness);
                          harness.readiness->trayHost = false;
                          harness.readiness->soundServer = false;
                      },
                      [](OnboardingHarness& harness, OnboardingView& view) {
                          view.nextStep();
                          harness.settle();
                      }});
    scenes.push_back({"speaker-found", withSoundMenu, toSpeakerPage});
    scenes.push_back({"speaker-missing", withoutSoundItem, toSpeakerPage, true});
    scenes.push_back(
        {"speaker-searching", withSoundMenu, [](OnboardingHarness& harness, OnboardingView& view) {
             toSpeakerPage(harness, view);
             view.startDiscovery();
         }});
    scenes.push_back({"speaker-devices",
                      [](OnboardingHarness& harness) {
                          SoundMenuScene::build(*harness.menu, {"Wohnzimmer", "Büro", "Küche",
                                                                "Bluetooth-Box", "USB Audio"});
                          harness.menu->selectOutput("Büro");
                      },
                      [](OnboardingHarness& harness, OnboardingView& view) {
                          toSpeakerPage(harness, view);
                          view.startDiscovery();
                          harness.settle();
                          view.chooseDevice("Büro");
                          harness.settle();
                      }});
    scenes.push_back(
        {"speaker-no-devices", withSoundMenu, [](OnboardingHarness& harness, OnboardingView& view) {
             harness.menu->setEntriesAppearAfter(std::chrono::seconds(30));
             toSpeakerPage(harness, view);
             view.startDiscovery();
             harness.settle();
         }});
    scenes.push_back({"speaker-error", withoutSoundItem,
                      [](OnboardingHarness& harness, OnboardingView& view) {
                          harness.launcher->answer = [] {
                              return exited(1, "",
                                            "System Events got an error: Can’t get "
                                            "menu bar 1 of process \"ControlCenter\".");
                          };
                          toSpeakerPage(harness, view);
                          view.startDiscovery();
                          harness.settle();
                      },
                      false, "statusMessage"});
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

Scene sceneOf(const OnboardingScene& state, bool scrolled) {
    return Scene{
        "onboarding-" + state.name + (scrolled ? "-scrolled" : ""), [state, scrolled] {
            auto harness = std::make_shared<OnboardingHarness>();
            harness->localizer = englishLocalizer();
            harness->readiness = std::make_shared<testing::ScriptedDesktopReadiness>();
            state.prepare(*harness);
            auto view = harness->makeView();
            SceneWindow window{
                makeOnboardingWidget(view),
                QSize(OnboardingView::kContentWidth, OnboardingView::kContentHeight),
                std::make_shared<std::pair<decltype(harness), decltype(view)>>(harness, view),
                {}};
            window.afterShow = [state, scrolled, harness, view, widget = window.widget.get()] {
                state.play(*harness, *view);
                auto* scroll = widget->findChild<QScrollArea*>(QStringLiteral("pageScrollArea"));
                QApplication::processEvents();
                if (scrolled) {
                    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
                } else if (state.inView != nullptr) {
                    scroll->ensureWidgetVisible(
                        widget->findChild<QWidget*>(QString::fromLatin1(state.inView)), 0, 24);
                }
            };
            return window;
        }};
}

}  // namespace

std::vector<Scene> onboardingScenes() {
    std::vector<Scene> scenes;
    for (const auto& state : onboardingStates()) {
        scenes.push_back(sceneOf(state, false));
        if (state.alsoScrolled) {
            scenes.push_back(sceneOf(state, true));
        }
    }
    return scenes;
}

}  // namespace tonvera::screenshots
