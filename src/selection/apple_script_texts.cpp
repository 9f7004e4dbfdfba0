#include "selection/apple_script_texts.h"

namespace tonvera::apple_script {

// The texts below are byte-exact: line feeds only, four-blank indentation, no final line feed.

// Presses the Sound item (MenuBarAgent first, ControlCenter as fallback), waits for the menu
// and opens the string literal of the wanted identifier.
const std::string_view kSelectionScriptHead = R"SCRIPT(tell application "System Events"
    try
        tell process "MenuBarAgent"
            set soundItem to first menu bar item of group 1 of menu bar 1 whose value of attribute "AXIdentifier" is "com.apple.menuextra.sound"
            perform action "AXPress" of soundItem
        end tell
    on error
        tell process "ControlCenter"
            set soundItem to first UI element whose value of attribute "AXIdentifier" is "com.apple.menuextra.sound"
            perform action "AXPress" of soundItem
        end tell
    end try
    delay 0.7
    tell process "ControlCenter"
        tell scroll area 1 of group 1 of window 1
            set targetIdentifier to "sound-device-)SCRIPT";

// Closes that literal, walks the output checkboxes and presses the wanted one unless it is
// already selected; opens the literal of the not-found error.
const std::string_view kSelectionScriptMiddle = R"SCRIPT("
            set found to false
            repeat with cb in every checkbox
                try
                    set cbIdentifier to value of attribute "AXIdentifier" of cb
                    if cbIdentifier is targetIdentifier then
                        -- bereits ausgewählt prüfen (AXValue = 1)
                        try
                            set v to value of attribute "AXValue" of cb
                            if v is 1 then
                                set found to true
                                exit repeat
                            end if
                        end try
                        perform action "AXPress" of cb
                        set found to true
                        exit repeat
                    end if
                end try
            end repeat
            if not found then error "Device not found: )SCRIPT";

// Closes that literal and the menu.
const std::string_view kSelectionScriptTail = R"SCRIPT("
        end tell
    end tell
    key code 53
end tell)SCRIPT";

// Opens the menu, returns the names of all outputs and closes the menu again.
const std::string_view kDiscoveryScript = R"SCRIPT(tell application "System Events"
    try
        tell process "MenuBarAgent"
            set soundItem to first menu bar item of group 1 of menu bar 1 whose value of attribute "AXIdentifier" is "com.apple.menuextra.sound"
            perform action "AXPress" of soundItem
        end tell
    on error
        tell process "ControlCenter"
            set soundItem to first UI element whose value of attribute "AXIdentifier" is "com.apple.menuextra.sound"
            perform action "AXPress" of soundItem
        end tell
    end try
    delay 0.7
    tell process "ControlCenter"
        tell scroll area 1 of group 1 of window 1
            set ids to {}
            repeat with cb in every checkbox
                try
                    set cbIdentifier to value of attribute "AXIdentifier" of cb
                    if cbIdentifier starts with "sound-device-" then
                        set end of ids to text 14 thru -1 of cbIdentifier
                    end if
                end try
            end repeat
            key code 53
            return ids
        end tell
    end tell
end tell)SCRIPT";

}  // namespace tonvera::apple_script
