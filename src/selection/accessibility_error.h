#pragma once

#include <exception>
#include <string>

#include "platform/accessibility.h"

namespace tonvera {

// Why selecting or discovering an output through the Sound menu failed. The descriptions are
// fixed German texts that users and the log see, whatever the user's language.
class AccessibilityError final : public std::exception {
  public:
    enum class Case {
        processNotFound,
        elementNotFound,
        deviceNotFound,
        alreadySelected,
        actionFailed,
        unknown,
        permissionMissing,
        soundMenuNotFound,
        timeout,
    };

    static AccessibilityError processNotFound(std::string name);
    static AccessibilityError elementNotFound(std::string identifier);
    static AccessibilityError deviceNotFound(std::string name);
    static AccessibilityError alreadySelected(std::string name);
    static AccessibilityError actionFailed(std::string action, AXError code);
    static AccessibilityError unknown(std::string message);
    static AccessibilityError permissionMissing();
    static AccessibilityError soundMenuNotFound();
    static AccessibilityError timeout();

    Case errorCase() const { return case_; }

    // The payload text: the name, identifier, action or message of the case; empty otherwise.
    const std::string& payload() const { return payload_; }

    // The result code of `actionFailed`; 0 for every other case.
    AXError code() const { return code_; }

    const std::string& errorDescription() const { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

    friend bool operator==(const AccessibilityError& a, const AccessibilityError& b) {
        return a.case_ == b.case_ && a.payload_ == b.payload_ && a.code_ == b.code_;
    }

  private:
    AccessibilityError(Case errorCase, std::string payload, AXError code);

    Case case_;
    std::string payload_;
    AXError code_;
    std::string description_;
};

}  // namespace tonvera
