#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/user_defaults.h"

namespace tonvera::defaults_reading {

// The read rules of a typed preferences store, applied to whatever a stored value turned out
// to be. Each mirrors the usual typed getters: a string getter yields nothing for a
// non-string, an integer getter 0 for what it cannot read, and so on.

// The value when it is a string.
std::optional<std::string> stringValue(const std::optional<DefaultsValue>& value);

// The value when it is a list of names; an empty list for anything else or nothing.
DefaultsStringList stringList(const std::optional<DefaultsValue>& value);

// The value when it is a map of names to texts; an empty map for anything else or nothing.
DefaultsStringMap stringMap(const std::optional<DefaultsValue>& value);

// The value when it is a boolean (a number or a string is not a boolean object).
std::optional<bool> booleanObject(const std::optional<DefaultsValue>& value);

// The value as a double when it is a number (integer or floating point).
std::optional<double> numberObject(const std::optional<DefaultsValue>& value);

// The value read as an integer: numbers truncated and clamped, booleans 0 or 1, strings by
// their leading decimal integer; 0 for anything else or nothing.
std::int64_t integerValue(const std::optional<DefaultsValue>& value);

// The value read as a boolean: non-zero numbers, "yes"/"true" in any case or a non-zero
// leading integer in a string; false for anything else or nothing.
bool boolValue(const std::optional<DefaultsValue>& value);

}  // namespace tonvera::defaults_reading
