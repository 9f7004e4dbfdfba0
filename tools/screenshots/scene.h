#pragma once

#include <QSize>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/localizer.h"
#include "platform/process_launcher.h"

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

// What the script route meets on Linux, where no script runner is installed.
[[noreturn]] inline ProcessResult withoutScriptRunner() {
    throw ProcessLaunchError("Could not start /usr/bin/osascript: No such file or directory");
}

// Each window contributes its scenes from its own source file.
std::vector<Scene> settingsScenes();
std::vector<Scene> onboardingScenes();

}  // namespace tonvera::screenshots
