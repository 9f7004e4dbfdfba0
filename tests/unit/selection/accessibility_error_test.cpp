#include "selection/accessibility_error.h"

#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tonvera {
namespace {

using Case = AccessibilityError::Case;

TEST(AccessibilityErrorTest, DescriptionsAreTheFixedGermanTexts) {
    struct Row {
        AccessibilityError error;
        Case expectedCase;
        std::string description;
    };
    const std::vector<Row> rows = {
        {AccessibilityError::processNotFound("ControlCenter"), Case::processNotFound,
         "Prozess nicht gefunden: ControlCenter"},
        {AccessibilityError::elementNotFound("com.apple.x"), Case::elementNotFound,
         "Element nicht gefunden: com.apple.x"},
        {AccessibilityError::deviceNotFound("Küche Radio"), Case::deviceNotFound,
         "AirPlay-Gerät nicht gefunden: Küche Radio (sound-device-Küche Radio)"},
        {AccessibilityError::alreadySelected("Büro"), Case::alreadySelected,
         "Ausgang bereits ausgewählt: Büro"},
        {AccessibilityError::actionFailed("AXPress", -25204), Case::actionFailed,
         "Aktion AXPress fehlgeschlagen: -25204"},
        {AccessibilityError::actionFailed("AXPress", std::numeric_limits<AXError>::min()),
         Case::actionFailed, "Aktion AXPress fehlgeschlagen: -2147483648"},
        {AccessibilityError::unknown("  Device not found: X\n"), Case::unknown,
         "  Device not found: X\n"},
        {AccessibilityError::unknown(""), Case::unknown, ""},
        {AccessibilityError::permissionMissing(), Case::permissionMissing,
         "Bedienungshilfen-Zugriff fehlt."},
        {AccessibilityError::soundMenuNotFound(), Case::soundMenuNotFound,
         "Sound-Menü nicht gefunden (com.apple.menuextra.sound)"},
        {AccessibilityError::timeout(), Case::timeout,
         "Zeitüberschreitung beim Warten auf UI-Element."},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.error.errorCase(), row.expectedCase);
        EXPECT_EQ(row.error.errorDescription(), row.description);
        EXPECT_EQ(std::string(row.error.what()), row.description);
    }
}

}  // namespace
}  // namespace tonvera
