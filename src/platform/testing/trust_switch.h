#pragma once

#include <atomic>

#include "platform/accessibility_trust.h"

namespace tonvera::testing {

// An accessibility permission that a test grants or withdraws at any moment.
class TrustSwitch final : public AccessibilityTrust {
  public:
    explicit TrustSwitch(bool trusted = true) : trusted_(trusted) {}

    bool isProcessTrusted() const override { return trusted_.load(); }
    void set(bool trusted) { trusted_.store(trusted); }

  private:
    std::atomic<bool> trusted_;
};

}  // namespace tonvera::testing
