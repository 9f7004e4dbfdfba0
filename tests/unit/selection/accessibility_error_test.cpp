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
    // The texts not already seen whole in the orchestrator's, selectors' and views' tests.
    const std::vector<Row> rows = {
        {AccessibilityError::processNotFound("ControlCenter"), Case::processNotFound,
         "Prozess nicht gefunden: ControlCenter"},
        {AccessibilityError::elementNotFound("com.apple.x"), Case::elementNotFound,
         "Element nicht gefunden: com.apple.x"},
        {AccessibilityError::actionFailed("AXPress", std::numeric_limits<AXError>::min()),
         Case::actionFailed, "Aktion AXPress fehlgeschlagen: -2147483648"},
        {AccessibilityError::unknown("  Device not found: X\n"), Case::unknown,
         "  Device not found: X\n"},
        {AccessibilityError::permissionMissing(), Case::permissionMissing,
         "Bedienungshilfen-Zugriff fehlt."},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.error.errorCase(), row.expectedCase);
        EXPECT_EQ(row.error.errorDescription(), row.description);
        EXPECT_EQ(std::string(row.error.what()), row.description);
    }
}

}  // namespace
}  // namespace tonvera
