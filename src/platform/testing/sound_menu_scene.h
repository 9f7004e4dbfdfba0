#pragma once

#include <string>
#include <vector>

#include "platform/testing/scripted_sound_menu.h"

namespace tonvera::testing {

// The usual layout of the Sound menu, built in a ScriptedSoundMenu: a decoy application
// first, then ControlCenter, whose menu bar holds the Sound item and whose open menu holds
// window 1 / group 1 / scroll area 1 with one checkbox per output, in order.
struct SoundMenuScene {
    using NodeId = ScriptedSoundMenu::NodeId;

    static constexpr std::int32_t kControlCenterPid = 300;

    NodeId decoy = 0;
    NodeId controlCenter = 0;
    NodeId menuBar = 0;
    NodeId soundItem = 0;
    NodeId window = 0;
    NodeId scrollArea = 0;
    std::vector<NodeId> outputs;

    static SoundMenuScene build(ScriptedSoundMenu& menu, const std::vector<std::string>& outputs);
};

// The running-application entry of a host process as the platform lists it.
RunningApplication hostApplication(const std::string& name, std::int32_t processIdentifier);

}  // namespace tonvera::testing
