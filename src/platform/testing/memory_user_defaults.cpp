#include "platform/testing/memory_user_defaults.h"

namespace tonvera::testing {

void MemoryUserDefaults::registerDefaults(const Registration& defaults) {
    std::lock_guard lock(mutex_);
    for (const auto& [key, value] : defaults) {
        registered_.insert_or_assign(key, value);
    }
}

std::optional<DefaultsValue> MemoryUserDefaults::object(std::string_view key) const {
    std::lock_guard lock(mutex_);
    if (const auto stored = stored_.find(key); stored != stored_.end()) {
        return stored->second;
    }
    if (const auto registered = registered_.find(key); registered != registered_.end()) {
        return registered->second;
    }
    return std::nullopt;
}

void MemoryUserDefaults::set(std::string_view key, const DefaultsValue& value) {
    std::lock_guard lock(mutex_);
    stored_.insert_or_assign(std::string(key), value);
    writes_.push_back(Write{std::string(key), value});
}

void MemoryUserDefaults::preload(std::string_view key, DefaultsValue value) {
    std::lock_guard lock(mutex_);
    stored_.insert_or_assign(std::string(key), std::move(value));
}

bool MemoryUserDefaults::hasStoredValue(std::string_view key) const {
    std::lock_guard lock(mutex_);
    return stored_.find(key) != stored_.end();
}

std::vector<MemoryUserDefaults::Write> MemoryUserDefaults::writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

}  // namespace tonvera::testing
