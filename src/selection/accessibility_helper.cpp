#include "selection/accessibility_helper.h"

#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "selection/sound_menu.h"
#include "selection/unicode_text.h"

namespace tonvera {
namespace {

constexpr std::string_view kSystemSettingsApplication =
    "file:///System/Applications/System%20Settings.app";

// The bundle identifier each host process is known by.
std::string targetFor(const std::string& lowercasedName) {
    for (const auto& host : sound_menu::kHosts) {
        if (lowercasedName == unicode_text::lowercased(host.processName)) {
            return std::string(host.bundleIdentifier);
        }
    }
    return lowercasedName;
}

std::string_view lastPathComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool matches(const RunningApplication& application, const std::string& name,
             const std::string& target) {
    if (application.bundleIdentifier) {
        const std::string bundle = unicode_text::lowercased(*application.bundleIdentifier);
        if (bundle == target || contains(bundle, name)) {
            return true;
        }
    }
    if (application.executablePath) {
        const std::string executable =
            unicode_text::lowercased(lastPathComponent(*application.executablePath));
        if (contains(executable, name)) {
            return true;
        }
    }
    if (application.localizedName) {
        if (contains(unicode_text::lowercased(*application.localizedName), name)) {
            return true;
        }
    }
    return false;
}

}  // namespace

AccessibilityHelper::AccessibilityHelper(std::shared_ptr<Accessibility> accessibility,
                                         std::shared_ptr<RunningApplications> applications,
                                         std::shared_ptr<Workspace> workspace)
    : accessibility_(std::move(accessibility)),
      applications_(std::move(applications)),
      workspace_(std::move(workspace)) {}

bool AccessibilityHelper::isTrusted() const {
    return accessibility_->isProcessTrusted();
}

AXElementHandle AccessibilityHelper::applicationElement(std::string_view processName) const {
    const std::string name = unicode_text::lowercased(processName);
    const std::string target = targetFor(name);
    for (const auto& application : applications_->runningApplications()) {
        if (matches(application, name, target)) {
            return accessibility_->applicationElement(application.processIdentifier);
        }
    }
    return nullptr;
}

std::optional<AXAttributeValue> AccessibilityHelper::attributeValue(
    const AXElementHandle& element, std::string_view attribute) const {
    std::optional<AXAttributeValue> value;
    if (accessibility_->copyAttributeValue(element, attribute, value) != kAXSuccess) {
        return std::nullopt;
    }
    return value;
}

std::vector<AXElementHandle> AccessibilityHelper::children(const AXElementHandle& element) const {
    auto value = attributeValue(element, sound_menu::kChildrenAttribute);
    if (value) {
        if (auto* list = std::get_if<std::vector<AXElementHandle>>(&*value)) {
            return std::move(*list);
        }
    }
    return {};
}

std::optional<std::string> AccessibilityHelper::identifier(const AXElementHandle& element) const {
    auto value = attributeValue(element, sound_menu::kIdentifierAttribute);
    if (value) {
        if (auto* text = std::get_if<std::string>(&*value)) {
            return std::move(*text);
        }
    }
    return std::nullopt;
}

AXElementHandle AccessibilityHelper::findElement(const AXElementHandle& root,
                                                 std::string_view identifier, int depth,
                                                 VisitedSet& visited) const {
    if (depth > maxSearchDepth || !visited.insert(root).second) {
        return nullptr;
    }
    if (const auto own = this->identifier(root);
        own && unicode_text::canonicallyEqual(*own, identifier)) {
        return root;
    }
    for (const auto& child : children(root)) {
        if (auto found = findElement(child, identifier, depth + 1, visited)) {
            return found;
        }
    }
    return nullptr;
}

void AccessibilityHelper::collectElements(const AXElementHandle& root, const Predicate& predicate,
                                          int depth, VisitedSet& visited,
                                          std::vector<AXElementHandle>& result) const {
    if (depth > maxSearchDepth || !visited.insert(root).second) {
        return;
    }
    if (predicate(root)) {
        result.push_back(root);
    }
    for (const auto& child : children(root)) {
        collectElements(child, predicate, depth + 1, visited, result);
    }
}

bool AccessibilityHelper::identifierHasPrefix(const AXElementHandle& element,
                                              std::string_view prefix) const {
    const auto own = identifier(element);
    return own && own->starts_with(prefix);
}

AXError AccessibilityHelper::performAction(const AXElementHandle& element,
                                           std::string_view action) const {
    return accessibility_->performAction(element, action);
}

bool AccessibilityHelper::isSelected(const AXElementHandle& element) const {
    const auto value = attributeValue(element, sound_menu::kValueAttribute);
    if (!value) {
        return false;
    }
    if (const auto* flag = std::get_if<bool>(&*value)) {
        return *flag;
    }
    if (const auto* integer = std::get_if<std::int64_t>(&*value)) {
        return *integer == 1;
    }
    if (const auto* number = std::get_if<double>(&*value)) {
        // A number object's integer value: the fraction is dropped.
        return std::isfinite(*number) && std::trunc(*number) == 1.0;
    }
    return false;
}

void AccessibilityHelper::openMenuBarSettings() const {
    openFirst({"x-apple.systempreferences:com.apple.MenuBar-Settings.extension",
               "x-apple.systempreferences:com.apple.ControlCenter-Settings.extension",
               "x-apple.systempreferences:com.apple.Sound-Settings.extension"});
}

void AccessibilityHelper::openAccessibilitySettings() const {
    openFirst({"x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility",
               "x-apple.systempreferences:com.apple.settings.PrivacySecurity.extension?Privacy_"
               "Accessibility"});
}

void AccessibilityHelper::openFirst(const std::vector<std::string_view>& addresses) const {
    for (const auto address : addresses) {
        if (workspace_->openURL(address)) {
            return;
        }
    }
    // Last resort: the settings application itself, whatever it answers.
    static_cast<void>(workspace_->openURL(kSystemSettingsApplication));
}

}  // namespace tonvera
