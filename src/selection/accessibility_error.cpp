#include "selection/accessibility_error.h"

#include <utility>

#include <fmt/format.h>

namespace tonvera {
namespace {

std::string describe(AccessibilityError::Case errorCase, const std::string& payload, AXError code) {
    using Case = AccessibilityError::Case;
    switch (errorCase) {
        case Case::processNotFound:
            return "Prozess nicht gefunden: " + payload;
        case Case::elementNotFound:
            return "Element nicht gefunden: " + payload;
        case Case::deviceNotFound:
            return "AirPlay-Gerät nicht gefunden: " + payload + " (sound-device-" + payload + ")";
        case Case::alreadySelected:
            return "Ausgang bereits ausgewählt: " + payload;
        case Case::actionFailed:
            return fmt::format("Aktion {} fehlgeschlagen: {}", payload, code);
        case Case::unknown:
            return payload;
        case Case::permissionMissing:
            return "Bedienungshilfen-Zugriff fehlt.";
        case Case::soundMenuNotFound:
            return "Sound-Menü nicht gefunden (com.apple.menuextra.sound)";
        case Case::timeout:
            return "Zeitüberschreitung beim Warten auf UI-Element.";
    }
    return payload;
}

}  // namespace

AccessibilityError::AccessibilityError(Case errorCase, std::string payload, AXError code)
    : case_(errorCase),
      payload_(std::move(payload)),
      code_(code),
      description_(describe(case_, payload_, code_)) {}

AccessibilityError AccessibilityError::processNotFound(std::string name) {
    return {Case::processNotFound, std::move(name), 0};
}
AccessibilityError AccessibilityError::elementNotFound(std::string identifier) {
    return {Case::elementNotFound, std::move(identifier), 0};
}
AccessibilityError AccessibilityError::deviceNotFound(std::string name) {
    return {Case::deviceNotFound, std::move(name), 0};
}
AccessibilityError AccessibilityError::alreadySelected(std::string name) {
    return {Case::alreadySelected, std::move(name), 0};
}
AccessibilityError AccessibilityError::actionFailed(std::string action, AXError code) {
    return {Case::actionFailed, std::move(action), code};
}
AccessibilityError AccessibilityError::unknown(std::string message) {
    return {Case::unknown, std::move(message), 0};
}
AccessibilityError AccessibilityError::permissionMissing() {
    return {Case::permissionMissing, {}, 0};
}
AccessibilityError AccessibilityError::soundMenuNotFound() {
    return {Case::soundMenuNotFound, {}, 0};
}
AccessibilityError AccessibilityError::timeout() {
    return {Case::timeout, {}, 0};
}

}  // namespace tonvera
