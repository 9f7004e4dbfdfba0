#pragma once

#include <QSize>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/localizer.h"
#include "platform/script_runner.h"
#include "selection/shell_script_texts.h"
#include "support/view_harness.h"

namespace tonvera::screenshots {

// One window in one state, ready to be drawn: its content widget, the window's content size,
// and whatever the widget needs alive (view state, test doubles) while it is on screen.
struct SceneWindow {
    std::unique_ptr<QWidget> widget;
    QSize size;
    std::shared_ptr<void> keepAlive;
    // Brings the state to its final form once the widget is shown (for states that only
    // arise after showing, such as a press).
    std::function<void()> afterShow;
};

// A named state of a window; its picture is written as <name>-light.png and <name>-dark.png.
struct Scene {
    std::string name;
    std::function<SceneWindow()> build;
};

// The application's own translations, as a Linux desktop in English or German shows them.
std::shared_ptr<Localizer> englishLocalizer();
std::shared_ptr<Localizer> germanLocalizer();

// The script route as it runs on Linux, in a session where no sound server answers: its
// scripts find neither PipeWire nor PulseAudio and end with the status that says so.
class ScriptsWithoutSoundServer final : public ScriptRunner {
  public:
    std::string name() const override { return "/bin/sh"; }

    ProcessResult run(const std::string& /*script*/, const std::vector<std::string>& /*arguments*/,
                      std::chrono::milliseconds /*timeout*/,
                      const std::stop_token& /*stop*/) override {
        ProcessResult result;
        result.exitStatus = shell_script::kExitNoSoundServer;
        return result;
    }
};

// Gives the window's surroundings that route, for its discoveries and its reconnects alike.
inline void withoutSoundServerScripts(testing::ViewHarness& harness) {
    harness.selectors.shellScriptRunner = std::make_shared<ScriptsWithoutSoundServer>();
    harness.orchestrator = std::make_shared<ReconnectOrchestrator>(
        harness.selectors.makeNative(), harness.selectors.makeScript(), harness.menu, harness.time,
        harness.log);
}

// Each window contributes its scenes from its own source file.
std::vector<Scene> settingsScenes();
std::vector<Scene> onboardingScenes();

}  // namespace tonvera::screenshots
