#pragma once

#include <chrono>

#include "platform/sound_menu_contract.h"

// The pauses the system's Sound menu needs; its contract is in platform/sound_menu_contract.h.
namespace tonvera::sound_menu {

using namespace std::chrono_literals;

// The menu needs a moment to fill after the press, an output to switch after its press, and
// the menu bar to settle after Escape.
inline constexpr auto kMenuOpenWait = 700ms;
inline constexpr auto kCheckboxPassWait = 200ms;
inline constexpr int kMaxCheckboxPasses = 10;
inline constexpr auto kDevicePressWait = 500ms;
inline constexpr auto kMenuCloseWait = 200ms;

}  // namespace tonvera::sound_menu
