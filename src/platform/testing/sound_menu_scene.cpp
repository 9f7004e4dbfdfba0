#include "platform/testing/sound_menu_scene.h"

#include <algorithm>
#include <cctype>

namespace tonvera::testing {

RunningApplication hostApplication(const std::string& name, std::int32_t processIdentifier) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return RunningApplication{
        .bundleIdentifier = "com.apple." + lower,
        .executablePath = "/System/Library/CoreServices/" + name + ".app/Contents/MacOS/" + name,
        .localizedName = name,
        .processIdentifier = processIdentifier,
    };
}

SoundMenuScene SoundMenuScene::build(ScriptedSoundMenu& menu,
                                     const std::vector<std::string>& outputs) {
    SoundMenuScene scene;
    scene.decoy = menu.addApplication(RunningApplication{
        .bundleIdentifier = "com.apple.finder",
        .executablePath = "/System/Library/CoreServices/Finder.app/Contents/MacOS/Finder",
        .localizedName = "Finder",
        .processIdentifier = 100,
    });
    menu.addElement(scene.decoy, std::nullopt, "AXMenuBar");

    scene.controlCenter = menu.addApplication(hostApplication("ControlCenter", kControlCenterPid));
    scene.menuBar = menu.addElement(scene.controlCenter, std::nullopt, "AXMenuBar");
    menu.addElement(scene.menuBar, AXAttributeValue(std::string("com.apple.menuextra.battery")),
                    "AXMenuBarItem");
    scene.soundItem = menu.addSoundItem(scene.menuBar);
    menu.addElement(scene.menuBar, AXAttributeValue(std::string("com.apple.menuextra.clock")),
                    "AXMenuBarItem");

    scene.window = menu.addMenuContent(scene.controlCenter);
    const auto group = menu.addElement(scene.window, std::nullopt, "AXGroup");
    menu.addElement(group, AXAttributeValue(std::string("sound-volume-slider")), "AXSlider");
    scene.scrollArea = menu.addElement(group, std::nullopt, "AXScrollArea");
    for (const auto& name : outputs) {
        scene.outputs.push_back(menu.addOutput(scene.scrollArea, name));
    }
    return scene;
}

}  // namespace tonvera::testing
