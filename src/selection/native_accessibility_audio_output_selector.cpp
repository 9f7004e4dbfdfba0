#include "selection/native_accessibility_audio_output_selector.h"

#include <utility>

#include <fmt/format.h>

#include "selection/accessibility_error.h"
#include "selection/cancellation_error.h"
#include "selection/sound_menu.h"
#include "selection/unicode_text.h"

namespace tonvera {

namespace menu = sound_menu;

NativeAccessibilityAudioOutputSelector::NativeAccessibilityAudioOutputSelector(
    AccessibilityHelper helper, std::shared_ptr<KeyboardEvents> keyboard,
    std::shared_ptr<Clock> clock, std::shared_ptr<LogSink> logSink)
    : helper_(std::move(helper)),
      logger_(makeAirPlayLogger(std::move(logSink))),
      keyboard_(std::move(keyboard)),
      clock_(std::move(clock)) {}

void NativeAccessibilityAudioOutputSelector::selectDevice(const std::string& name,
                                                          std::stop_token stop) {
    const std::string target = std::string(menu::kDevicePrefix) + name;
    logger_.info("[AirPlay] Searching for {}", target);
    if (!helper_.isTrusted()) {
        logger_.error("[AirPlay] Accessibility permission missing");
        throw AccessibilityError::permissionMissing();
    }
    const AXElementHandle soundItem = findSoundMenuExtra();
    if (!soundItem) {
        logger_.error("[AirPlay] Sound menu not found (com.apple.menuextra.sound)");
        throw AccessibilityError::soundMenuNotFound();
    }
    logger_.info("[AirPlay] Found com.apple.menuextra.sound");
    logger_.info("[AirPlay] Opening sound menu");
    const AXElementHandle controlCenter = openMenu(soundItem, stop);

    const auto checkboxes = collectDeviceCheckboxes(controlCenter, stop);
    if (checkboxes.empty()) {
        logger_.error("[AirPlay] No checkboxes found in ControlCenter window");
        closeMenu();
        throw AccessibilityError::deviceNotFound(name);
    }
    logger_.info("[AirPlay] Searching for {} among {} checkboxes", target, checkboxes.size());

    AXElementHandle device;
    std::string deviceIdentifier;
    std::vector<std::string> available;
    for (const auto& checkbox : checkboxes) {
        auto identifier = helper_.identifier(checkbox);
        if (!identifier) {
            continue;
        }
        if (unicode_text::canonicallyEqual(*identifier, target)) {
            device = checkbox;
            deviceIdentifier = std::move(*identifier);
            break;
        }
        available.push_back(std::move(*identifier));
    }
    if (!device) {
        logger_.error("[AirPlay] AirPlay device not found: {}. Available: {}", name,
                      fmt::join(available, ", "));
        closeMenu();
        throw AccessibilityError::deviceNotFound(name);
    }
    logger_.info("[AirPlay] Device found: {}", deviceIdentifier);

    if (helper_.isSelected(device)) {
        logger_.info("[AirPlay] Output already selected: {}", name);
        closeMenu();
        return;
    }
    logger_.info("[AirPlay] Selecting device: {}", name);
    if (const AXError code = helper_.performAction(device, menu::kPressAction);
        code != kAXSuccess) {
        // The menu stays open: the press may yet have worked, and Escape would not help.
        throw AccessibilityError::actionFailed(std::string(menu::kPressAction), code);
    }
    wait(menu::kDevicePressWait, stop);
    if (helper_.isSelected(device)) {
        logger_.info("[AirPlay] Output successfully changed to {} (verified via AXValue)", name);
    } else {
        logger_.info(
            "[AirPlay] Selecting device executed; immediate AXValue check was inconclusive, "
            "assuming success for {}",
            name);
    }
    closeMenu();
    wait(menu::kMenuCloseWait, stop);
    logger_.info("[AirPlay] Successfully selected AirPlay output: {}", name);
}

std::vector<std::string> NativeAccessibilityAudioOutputSelector::discoverDevices(
    std::stop_token stop) {
    std::vector<std::string> names;
    for (auto& output : discoverOutputs(stop)) {
        names.push_back(std::move(output.name));
    }
    return names;
}

std::vector<DiscoveredOutput> NativeAccessibilityAudioOutputSelector::discoverOutputs(
    const std::stop_token& stop) {
    if (!helper_.isTrusted()) {
        throw AccessibilityError::permissionMissing();
    }
    const AXElementHandle soundItem = findSoundMenuExtra();
    if (!soundItem) {
        throw AccessibilityError::soundMenuNotFound();
    }
    const AXElementHandle controlCenter = openMenu(soundItem, stop);

    std::vector<DiscoveredOutput> outputs;
    std::vector<std::string> names;
    for (const auto& checkbox : collectDeviceCheckboxes(controlCenter, stop)) {
        const auto identifier = helper_.identifier(checkbox);
        if (identifier && identifier->starts_with(menu::kDevicePrefix)) {
            names.push_back(identifier->substr(menu::kDevicePrefix.size()));
            outputs.push_back(DiscoveredOutput{names.back(), helper_.isSelected(checkbox)});
        }
    }
    closeMenu();
    wait(menu::kMenuCloseWait, stop);
    logger_.info("[AirPlay] Available outputs: {}", fmt::join(names, ", "));
    return outputs;
}

AXElementHandle NativeAccessibilityAudioOutputSelector::findSoundMenuExtra() const {
    const auto menuBarAgent = helper_.applicationElement(menu::kMenuBarAgent);
    if (menuBarAgent) {
        VisitedSet visited;
        if (auto item = helper_.findElement(menuBarAgent, menu::kSoundItemIdentifier, 0, visited)) {
            logger_.info("[AirPlay] Strategy A succeeded: found sound menu in MenuBarAgent");
            return item;
        }
        const auto marked = collectFromRoot(menuBarAgent, [this](const AXElementHandle& element) {
            const auto identifier = helper_.identifier(element);
            return identifier && identifier->find(menu::kSoundMarker) != std::string::npos;
        });
        if (!marked.empty()) {
            logger_.info("[AirPlay] Strategy A fallback: found {} in MenuBarAgent",
                         helper_.identifier(marked.front()).value_or("?"));
            return marked.front();
        }
    }
    if (auto item = findSoundItemIn(menu::kControlCenter)) {
        logger_.info("[AirPlay] Strategy B succeeded: found sound menu in ControlCenter");
        return item;
    }
    if (auto item = findSoundItemIn(menu::kSystemUIServer)) {
        logger_.info("[AirPlay] Fallback succeeded: found sound menu in SystemUIServer");
        return item;
    }
    // Last pass: walk every menu-bar item of every host.
    for (const auto& host : menu::kHosts) {
        const auto application = helper_.applicationElement(host.processName);
        if (!application) {
            continue;
        }
        const auto items = collectFromRoot(application, [this](const AXElementHandle& element) {
            return helper_.identifierHasPrefix(element, menu::kMenuExtraPrefix);
        });
        for (const auto& item : items) {
            if (helper_.identifier(item) == menu::kSoundItemIdentifier) {
                return item;
            }
        }
    }
    return nullptr;
}

AXElementHandle NativeAccessibilityAudioOutputSelector::findSoundItemIn(
    std::string_view host) const {
    const auto application = helper_.applicationElement(host);
    if (!application) {
        return nullptr;
    }
    VisitedSet visited;
    return helper_.findElement(application, menu::kSoundItemIdentifier, 0, visited);
}

AXElementHandle NativeAccessibilityAudioOutputSelector::openMenu(const AXElementHandle& soundItem,
                                                                 const std::stop_token& stop) {
    if (const AXError code = helper_.performAction(soundItem, menu::kPressAction);
        code != kAXSuccess) {
        throw AccessibilityError::actionFailed(std::string(menu::kPressAction), code);
    }
    wait(menu::kMenuOpenWait, stop);
    auto controlCenter = helper_.applicationElement(menu::kControlCenter);
    if (!controlCenter) {
        closeMenu();
        throw AccessibilityError::processNotFound(std::string(menu::kControlCenter));
    }
    return controlCenter;
}

std::vector<AXElementHandle> NativeAccessibilityAudioOutputSelector::collectDeviceCheckboxes(
    const AXElementHandle& controlCenter, const std::stop_token& stop) {
    for (int pass = 1;; ++pass) {
        auto found = collectFromRoot(
            controlCenter, [this](const AXElementHandle& element) { return isCheckBox(element); });
        if (found.empty()) {
            // Outputs that are not marked as checkboxes still carry the device prefix.
            found = collectFromRoot(controlCenter, [this](const AXElementHandle& element) {
                return helper_.identifierHasPrefix(element, menu::kDevicePrefix);
            });
        }
        if (!found.empty()) {
            return found;
        }
        wait(menu::kCheckboxPassWait, stop);
        if (pass == menu::kMaxCheckboxPasses) {
            return {};
        }
    }
}

std::vector<AXElementHandle> NativeAccessibilityAudioOutputSelector::collectFromRoot(
    const AXElementHandle& root, const AccessibilityHelper::Predicate& predicate) const {
    std::vector<AXElementHandle> result;
    VisitedSet visited;
    helper_.collectElements(root, predicate, 0, visited, result);
    return result;
}

bool NativeAccessibilityAudioOutputSelector::isCheckBox(const AXElementHandle& element) const {
    const auto role = helper_.attributeValue(element, menu::kRoleAttribute);
    const auto* text = role ? std::get_if<std::string>(&*role) : nullptr;
    return text != nullptr && *text == menu::kCheckBoxRole;
}

void NativeAccessibilityAudioOutputSelector::closeMenu() {
    const auto keyDown = keyboard_->createKeyboardEvent(menu::kEscapeKeyCode, true);
    const auto keyUp = keyboard_->createKeyboardEvent(menu::kEscapeKeyCode, false);
    if (keyDown && keyUp) {
        keyboard_->post(*keyDown);
        keyboard_->post(*keyUp);
    }
}

void NativeAccessibilityAudioOutputSelector::wait(Clock::Duration duration,
                                                  const std::stop_token& stop) {
    if (!clock_->sleepFor(duration, stop)) {
        throw CancellationError();
    }
}

}  // namespace tonvera
