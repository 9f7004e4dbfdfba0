// The Settings window in its main states, over the real view state with test doubles behind
// it: a scripted Sound menu, a scripted osascript and the real orchestrator, in virtual time.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/build_config.h"
#include "platform/qt/widgets/settings_widget.h"
#include "support/settings_view_harness.h"
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
        SoundMenuScene::build(*menu, outputs);
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
                     window.afterShow = [world, play] { play(*world); };
                     return window;
                 }};
}

}  // namespace

std::vector<Scene> settingsScenes() {
    const std::vector<std::string> outputs{"Wohnzimmer", "Küche", "Büro & Bibliothek",
                                           "MacBook Pro Speakers"};
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
        // The longest texts in the fullest state: found list, status line, permission missing.
        settingsScene(
            "german", outputs,
            [](SettingsWorld& world) {
                world.view->startDiscovery();
                world.settle();
                world.menu->setTrusted(false);
                world.view->startConnect();
            },
            true),
        settingsScene("permission-missing", outputs,
                      [](SettingsWorld& world) {
                          world.menu->setTrusted(false);
                          world.launcher->answer = [] {
                              return exited(1, "",
                                            "System Events got an error: osascript is not allowed "
                                            "assistive access. (-1719)");
                          };
                          world.view->startDiscovery();
                          world.settle();
                      }),
    };
}

}  // namespace tonvera::screenshots
