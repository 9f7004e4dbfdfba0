// The Settings window in its main states, over the real view state with test doubles behind
// it: a scripted Sound menu, the script route's runner and the real orchestrator, in virtual
// time.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/build_config.h"
#include "platform/qt/widgets/settings_widget.h"
#include "support/view_harness.h"
#include "tools/screenshots/scene.h"
#include "ui/settings_view.h"

namespace tonvera::screenshots {
namespace {

using namespace std::chrono_literals;
using namespace tonvera::testing;

struct SettingsWorld : SettingsViewHarness {
    std::shared_ptr<SettingsView> view;

    SettingsWorld(const std::vector<std::string>& outputs, bool german) {
        localizer = german ? germanLocalizer() : englishLocalizer();
        version = std::string(build_config::kVersion.value_or("?"));
        readiness = std::make_shared<ScriptedDesktopReadiness>();
        // No outputs: no sound server behind the Sound menu, nor for the script route's tools.
        if (outputs.empty()) {
            withoutSoundServerScripts(*this);
        } else {
            SoundMenuScene::build(*menu, outputs);
        }
        settings->setDeviceName("Wohnzimmer");
        view = makeView(orchestrator);
        time->advanceBy(0ns);
    }
};

Scene settingsScene(std::string name, std::vector<std::string> outputs,
                    const std::function<void(SettingsWorld&)>& play, bool german = false) {
    return Scene{"settings-" + std::move(name), [outputs = std::move(outputs), play, german] {
                     auto world = std::make_shared<SettingsWorld>(outputs, german);
                     SceneWindow window{makeSettingsWidget(world->view),
                                        QSize(SettingsView::windowOptions().contentWidth,
                                              SettingsView::windowOptions().contentHeight),
                                        world, nullptr};
                     // The desktop's readiness is looked at when the window shows.
                     window.afterShow = [world, play] {
                         world->settle();
                         play(*world);
                     };
                     return window;
                 }};
}

void showRanking(SettingsWorld& world) {
    world.settings->setPriorityOutputs({"Kopfhörer"});
    world.settings->setFallbackOutputs({"Küche", "Bluetooth-Box", "Built-in Audio Analog Stereo"});
    world.settings->setBluetoothOutputs({{"Bluetooth-Box", "00:1A:7D:DA:71:13"}});
    world.view->startDiscovery();
    world.settle();
    world.view->selectRankingRow(2);
    world.view->setRankingDraft("Büro & Bibliothek");
}

}  // namespace

std::vector<Scene> settingsScenes() {
    // Five outputs: the list shows them all without scrolling.
    const std::vector<std::string> outputs{"Wohnzimmer", "Küche", "Büro & Bibliothek",
                                           "Bluetooth-Box", "Built-in Audio Analog Stereo"};
    return {
        settingsScene("empty", outputs, [](SettingsWorld&) {}),
        settingsScene("discovering", outputs,
                      [](SettingsWorld& world) { world.view->startDiscovery(); }),
        settingsScene("devices", outputs,
                      [](SettingsWorld& world) {
                          world.view->startDiscovery();
                          world.settle();
                      }),
        settingsScene("status", outputs, [](SettingsWorld& world) { world.view->startConnect(); }),
        // The longest texts in the fullest state: found list, status line, a part missing.
        settingsScene(
            "german", outputs,
            [](SettingsWorld& world) {
                world.view->startDiscovery();
                world.settle();
                world.readiness->systemBus = false;
                world.view->windowActivated();
                world.settle();
                world.view->startConnect();
            },
            true),
        // A search without a sound server: the badge tells why, and only the badge.
        settingsScene("sound-server-missing", {},
                      [](SettingsWorld& world) {
                          world.readiness->soundServer = false;
                          world.view->windowActivated();
                          world.view->startDiscovery();
                          world.settle();
                          world.settle();
                      }),
        // The ranking: headphones above the preferred output, three outputs below it (one of
        // them known as a Bluetooth device, so its switch shows), the first below selected and a
        // found output about to be added.
        settingsScene("ranking", outputs, showRanking),
        settingsScene("ranking-german", outputs, showRanking, true),
    };
}

}  // namespace tonvera::screenshots
