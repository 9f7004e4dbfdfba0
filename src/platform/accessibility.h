#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/accessibility_trust.h"

namespace tonvera {

// The accessibility result code of the platform; 0 means success.
using AXError = std::int32_t;
inline constexpr AXError kAXSuccess = 0;
inline constexpr AXError kAXErrorFailure = -25200;
inline constexpr AXError kAXErrorInvalidUIElement = -25202;
inline constexpr AXError kAXErrorCannotComplete = -25204;
inline constexpr AXError kAXErrorAttributeUnsupported = -25205;
inline constexpr AXError kAXErrorActionUnsupported = -25206;
inline constexpr AXError kAXErrorAPIDisabled = -25211;
inline constexpr AXError kAXErrorNoValue = -25212;

// One user-interface element of another process. Implementations derive from this; callers
// only hold handles. Two handles may denote the same element, and identity (for visited sets)
// is that of the handle object, never of the element it denotes.
class AccessibilityElement {
  public:
    virtual ~AccessibilityElement() = default;
};
using AXElementHandle = std::shared_ptr<AccessibilityElement>;

// An attribute value whose type the platform does not describe further.
struct AXOtherValue {
    friend bool operator==(const AXOtherValue&, const AXOtherValue&) = default;
};

// An attribute value with its dynamic type: text, integer number, floating number, boolean,
// one element, a list of elements, or something else.
using AXAttributeValue = std::variant<std::string, std::int64_t, double, bool, AXElementHandle,
                                      std::vector<AXElementHandle>, AXOtherValue>;

// Reads and operates the user interface of other processes.
class Accessibility : public AccessibilityTrust {
  public:
    // The root element of the process `processIdentifier`; never null.
    virtual AXElementHandle applicationElement(std::int32_t processIdentifier) = 0;

    // Reads `attribute` of `element` into `value`; returns the platform's code (0 = success).
    // A successful read may still yield no value.
    virtual AXError copyAttributeValue(const AXElementHandle& element, std::string_view attribute,
                                       std::optional<AXAttributeValue>& value) = 0;

    // Performs `action` (such as "AXPress") on `element`; returns the platform's code.
    virtual AXError performAction(const AXElementHandle& element, std::string_view action) = 0;
};

}  // namespace tonvera
