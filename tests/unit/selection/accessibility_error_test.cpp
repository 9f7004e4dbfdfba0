#include "selection/accessibility_error.h"

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace tonvera {
namespace {

TEST(AccessibilityErrorTest, DescriptionsAreTheFixedGermanTexts) {
    // The texts not already seen whole in the orchestrator's, selectors' and views' tests. Which
    // case a factory makes matters only for "already selected" and "permission missing"; the
    // orchestrator's tests pin both.
    const std::vector<std::pair<AccessibilityError, std::string>> rows = {
        {AccessibilityError::processNotFound("ControlCenter"),
         "Prozess nicht gefunden: ControlCenter"},
        {AccessibilityError::elementNotFound("com.apple.x"), "Element nicht gefunden: com.apple.x"},
        {AccessibilityError::deviceNotFound("Büro"),
         "AirPlay-Gerät nicht gefunden: Büro (sound-device-Büro)"},
        {AccessibilityError::actionFailed("AXPress", std::numeric_limits<AXError>::min()),
         "Aktion AXPress fehlgeschlagen: -2147483648"},
        {AccessibilityError::unknown("  Device not found: X\n"), "  Device not found: X\n"},
        {AccessibilityError::permissionMissing(), "Bedienungshilfen-Zugriff fehlt."},
    };
    for (const auto& [error, description] : rows) {
        EXPECT_EQ(error.errorDescription(), description);
        EXPECT_EQ(std::string(error.what()), description);
    }
}

}  // namespace
}  // namespace tonvera
