#pragma once

#include <optional>
#include <string>

#include "platform/login_item.h"

namespace tonvera::testing {

// A login item in memory; the test can make the next operations fail.
class MemoryLoginItem final : public LoginItem {
  public:
    LoginItemStatus status() const override { return status_; }

    void registerItem() override {
        ++registrations;
        if (failure) {
            throw LoginItemError(*failure);
        }
        status_ = LoginItemStatus::enabled;
    }

    void unregisterItem() override {
        ++unregistrations;
        if (failure) {
            throw LoginItemError(*failure);
        }
        status_ = LoginItemStatus::notRegistered;
    }

    void setStatus(LoginItemStatus status) { status_ = status; }

    std::optional<std::string> failure;
    int registrations = 0;
    int unregistrations = 0;

  private:
    LoginItemStatus status_ = LoginItemStatus::notRegistered;
};

}  // namespace tonvera::testing
