#pragma once

namespace tonvera {

// Whether this process may operate other applications' user interface.
class AccessibilityTrust {
  public:
    virtual ~AccessibilityTrust() = default;

    // True when the permission is granted. Never shows the system's own prompt.
    virtual bool isProcessTrusted() const = 0;
};

}  // namespace tonvera
