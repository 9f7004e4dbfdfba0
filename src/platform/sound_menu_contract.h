#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// What the system's Sound menu offers to accessibility clients: the processes that host it,
// the identifiers, roles, attributes and action of its elements, and the key that closes it.
// One source for the selectors, which work the menu, and for whatever provides it.
namespace tonvera::sound_menu {

inline constexpr std::string_view kSoundItemIdentifier = "com.apple.menuextra.sound";
inline constexpr std::string_view kMenuExtraPrefix = "com.apple.menuextra";
inline constexpr std::string_view kSoundMarker = "sound";
inline constexpr std::string_view kDevicePrefix = "sound-device-";

inline constexpr std::string_view kApplicationRole = "AXApplication";
inline constexpr std::string_view kMenuBarRole = "AXMenuBar";
inline constexpr std::string_view kMenuBarItemRole = "AXMenuBarItem";
inline constexpr std::string_view kWindowRole = "AXWindow";
inline constexpr std::string_view kGroupRole = "AXGroup";
inline constexpr std::string_view kScrollAreaRole = "AXScrollArea";
inline constexpr std::string_view kCheckBoxRole = "AXCheckBox";
inline constexpr std::string_view kPressAction = "AXPress";

inline constexpr std::string_view kChildrenAttribute = "AXChildren";
inline constexpr std::string_view kIdentifierAttribute = "AXIdentifier";
inline constexpr std::string_view kRoleAttribute = "AXRole";
inline constexpr std::string_view kValueAttribute = "AXValue";

// A process that hosts part of the menu: the name it runs under and its bundle identifier.
struct Host {
    std::string_view processName;
    std::string_view bundleIdentifier;
};
inline constexpr Host kMenuBarAgentHost{"MenuBarAgent", "com.apple.menubaragent"};
inline constexpr Host kControlCenterHost{"ControlCenter", "com.apple.controlcenter"};
inline constexpr Host kSystemUIServerHost{"SystemUIServer", "com.apple.systemuiserver"};
inline constexpr std::array<Host, 3> kHosts = {kMenuBarAgentHost, kControlCenterHost,
                                               kSystemUIServerHost};
inline constexpr std::string_view kMenuBarAgent = kMenuBarAgentHost.processName;
inline constexpr std::string_view kControlCenter = kControlCenterHost.processName;
inline constexpr std::string_view kSystemUIServer = kSystemUIServerHost.processName;

// The virtual key code of Escape, which closes the open menu.
inline constexpr std::uint16_t kEscapeKeyCode = 53;

}  // namespace tonvera::sound_menu
