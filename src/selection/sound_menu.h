#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string_view>

// What the system's Sound menu offers to accessibility clients, and the pauses it needs.
namespace tonvera::sound_menu {

using namespace std::chrono_literals;

inline constexpr std::string_view kSoundItemIdentifier = "com.apple.menuextra.sound";
inline constexpr std::string_view kMenuExtraPrefix = "com.apple.menuextra";
inline constexpr std::string_view kSoundMarker = "sound";
inline constexpr std::string_view kDevicePrefix = "sound-device-";
inline constexpr std::string_view kCheckBoxRole = "AXCheckBox";
inline constexpr std::string_view kPressAction = "AXPress";

inline constexpr std::string_view kChildrenAttribute = "AXChildren";
inline constexpr std::string_view kIdentifierAttribute = "AXIdentifier";
inline constexpr std::string_view kRoleAttribute = "AXRole";
inline constexpr std::string_view kValueAttribute = "AXValue";

inline constexpr std::string_view kMenuBarAgent = "MenuBarAgent";
inline constexpr std::string_view kControlCenter = "ControlCenter";
inline constexpr std::string_view kSystemUIServer = "SystemUIServer";
inline constexpr std::array<std::string_view, 3> kHostProcesses = {kMenuBarAgent, kControlCenter,
                                                                   kSystemUIServer};

// The menu needs a moment to fill after the press, an output to switch after its press, and
// the menu bar to settle after Escape.
inline constexpr auto kMenuOpenWait = 700ms;
inline constexpr auto kCheckboxPassWait = 200ms;
inline constexpr int kMaxCheckboxPasses = 10;
inline constexpr auto kDevicePressWait = 500ms;
inline constexpr auto kMenuCloseWait = 200ms;

inline constexpr std::uint16_t kEscapeKeyCode = 53;

}  // namespace tonvera::sound_menu
