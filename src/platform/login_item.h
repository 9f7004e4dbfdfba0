#pragma once

#include <stdexcept>

namespace tonvera {

enum class LoginItemStatus {
    notRegistered,     // the application does not start at login
    enabled,           // it starts at login
    requiresApproval,  // registered, but the user must still allow it
    notFound,          // the registration cannot be found or read
};

// Registering or unregistering failed; what() says why.
class LoginItemError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The application itself as an item that the desktop starts at login.
class LoginItem {
  public:
    virtual ~LoginItem() = default;

    virtual LoginItemStatus status() const = 0;

    // Makes the application start at login. Throws LoginItemError.
    virtual void registerItem() = 0;

    // Stops the application from starting at login. Throws LoginItemError.
    virtual void unregisterItem() = 0;
};

}  // namespace tonvera
