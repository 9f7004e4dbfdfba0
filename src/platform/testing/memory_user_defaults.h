#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/user_defaults.h"

namespace tonvera::testing {

// Preferences in memory, recording every write so tests can check what was persisted.
class MemoryUserDefaults final : public UserDefaults {
  public:
    struct Write {
        std::string key;
        DefaultsValue value;
    };

    void registerDefaults(const Registration& defaults) override;
    std::optional<DefaultsValue> object(std::string_view key) const override;
    void set(std::string_view key, const DefaultsValue& value) override;

    // Puts a value in the persistent layer without recording it as a write (the state a
    // previous run left behind).
    void preload(std::string_view key, DefaultsValue value);

    // Whether `key` holds a persisted value (registered defaults do not count).
    bool hasStoredValue(std::string_view key) const;

    std::vector<Write> writes() const;

  private:
    mutable std::mutex mutex_;
    Registration registered_;
    Registration stored_;
    std::vector<Write> writes_;
};

}  // namespace tonvera::testing
