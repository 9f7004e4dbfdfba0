#include "reconnect/permission_error.h"

#include <array>

namespace tonvera {

bool isPermissionError(const AccessibilityError* error, std::string_view lowercasedDescription) {
    if (error != nullptr && error->errorCase() == AccessibilityError::Case::permissionMissing) {
        return true;
    }
    static constexpr std::array<std::string_view, 5> kMarkers = {
        "keine berechtigung", "hilfszugriff", "assistive", "not allowed", "permission"};
    for (const auto marker : kMarkers) {
        if (lowercasedDescription.find(marker) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace tonvera
