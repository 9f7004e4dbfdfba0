#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tonvera {

// An ordered list of names, as stored; entries that were not strings are not in it.
using DefaultsStringList = std::vector<std::string>;

// Names mapped to texts, as stored; members that were not strings are not in it.
using DefaultsStringMap = std::map<std::string, std::string, std::less<>>;

// One stored preference value. The order of the alternatives is part of no format.
using DefaultsValue =
    std::variant<std::string, bool, std::int64_t, double, DefaultsStringList, DefaultsStringMap>;

// The user's persistent preferences, with a volatile layer of registered defaults underneath.
class UserDefaults {
  public:
    using Registration = std::map<std::string, DefaultsValue, std::less<>>;

    virtual ~UserDefaults() = default;

    // Adds `defaults` to the volatile layer that answers reads of keys never written. Never
    // persisted.
    virtual void registerDefaults(const Registration& defaults) = 0;

    // The persisted value of `key` when it holds one of the supported types, else the
    // registered default, else nothing.
    virtual std::optional<DefaultsValue> object(std::string_view key) const = 0;

    // Persists `value` under `key` before returning; a failure keeps the previous stored state
    // intact.
    virtual void set(std::string_view key, const DefaultsValue& value) = 0;
};

}  // namespace tonvera
