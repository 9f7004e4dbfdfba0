#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/keyboard_events.h"
#include "platform/logger.h"
#include "selection/accessibility_helper.h"
#include "selection/audio_output_selector.h"

namespace tonvera {

// Selects outputs by working the Sound menu through the accessibility interface, as a person
// would: press the Sound item, press the output's checkbox, close the menu with Escape.
// Keeps nothing between calls; every wait can be cut short by the caller's stop token, which
// fails the call with a CancellationError (the menu then stays as it is).
class NativeAccessibilityAudioOutputSelector final : public AudioOutputSelector {
  public:
    NativeAccessibilityAudioOutputSelector(AccessibilityHelper helper,
                                           std::shared_ptr<KeyboardEvents> keyboard,
                                           std::shared_ptr<Clock> clock,
                                           std::shared_ptr<LogSink> logSink);

    void selectDevice(const std::string& name, std::stop_token stop) override;
    std::vector<std::string> discoverDevices(std::stop_token stop) override;
    // As `discoverDevices`, with each output's checkbox state: the menu shows which is selected.
    std::vector<DiscoveredOutput> discoverOutputs(const std::stop_token& stop) override;

    // The Sound menu-bar item, looked for in every host process; null when it is not there.
    AXElementHandle findSoundMenuExtra() const;

  private:
    // The Sound item in the host process `host`, found by its exact identifier.
    AXElementHandle findSoundItemIn(std::string_view host) const;
    // Presses the Sound item, waits for the menu and returns the ControlCenter application.
    AXElementHandle openMenu(const AXElementHandle& soundItem, const std::stop_token& stop);
    std::vector<AXElementHandle> collectDeviceCheckboxes(const AXElementHandle& controlCenter,
                                                         const std::stop_token& stop);
    std::vector<AXElementHandle> collectFromRoot(
        const AXElementHandle& root, const AccessibilityHelper::Predicate& predicate) const;
    bool isCheckBox(const AXElementHandle& element) const;
    void closeMenu();
    void wait(Clock::Duration duration, const std::stop_token& stop);

    AccessibilityHelper helper_;
    Logger logger_;
    std::shared_ptr<KeyboardEvents> keyboard_;
    std::shared_ptr<Clock> clock_;
};

}  // namespace tonvera
