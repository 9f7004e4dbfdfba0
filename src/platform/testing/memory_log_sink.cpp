#include "platform/testing/memory_log_sink.h"

namespace tonvera::testing {

void MemoryLogSink::write(LogLevel level, std::string_view subsystem, std::string_view category,
                          std::string_view message) {
    {
        std::lock_guard lock(mutex_);
        entries_.push_back(
            Entry{level, std::string(subsystem), std::string(category), std::string(message)});
    }
    written_.notify_all();
}

bool MemoryLogSink::waitForLines(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return written_.wait_for(lock, limit, [&] { return entries_.size() >= count; });
}

std::vector<MemoryLogSink::Entry> MemoryLogSink::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<std::string> MemoryLogSink::lines() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> result;
    result.reserve(entries_.size());
    for (const auto& entry : entries_) {
        result.push_back((entry.level == LogLevel::error ? "error: " : "info: ") + entry.message);
    }
    return result;
}

void MemoryLogSink::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

}  // namespace tonvera::testing
