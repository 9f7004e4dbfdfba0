#include "reconnect/output_ranking.h"

#include <algorithm>
#include <utility>

#include <fmt/format.h>

#include "selection/unicode_text.h"
#include "settings/app_settings.h"

namespace tonvera {

std::vector<std::string> OutputRanking::usableFallbacks(const std::string& preferred,
                                                        const std::vector<std::string>& stored) {
    std::vector<std::string> usable;
    for (const auto& name : stored) {
        if (usable.size() == AppSettings::kMaxFallbackOutputs) {
            break;
        }
        const auto same = [&name](const std::string& other) {
            return unicode_text::canonicallyEqual(name, other);
        };
        if (unicode_text::trimmedOfWhitespaceAndNewlines(name).empty() || same(preferred) ||
            std::ranges::any_of(usable, same)) {
            continue;
        }
        usable.push_back(name);
    }
    return usable;
}

OutputRanking::OutputRanking(std::string preferred, const std::vector<std::string>& storedFallbacks)
    : preferred_(std::move(preferred)), fallbacks_(usableFallbacks(preferred_, storedFallbacks)) {}

std::optional<std::size_t> OutputRanking::rankOf(const std::string& name) const {
    if (!unicode_text::isBlank(preferred_) && unicode_text::canonicallyEqual(name, preferred_)) {
        return 0;
    }
    for (std::size_t index = 0; index < fallbacks_.size(); ++index) {
        if (unicode_text::canonicallyEqual(name, fallbacks_[index])) {
            return index + 1;
        }
    }
    return std::nullopt;
}

const SoundOutput* OutputRanking::bestFrom(const std::vector<SoundOutput>& outputs,
                                           std::size_t first) const {
    const SoundOutput* best = nullptr;
    std::size_t bestRank = 0;
    for (const auto& output : outputs) {
        const auto rank = rankOf(output.name);
        if (!rank || *rank < first) {
            continue;
        }
        if (best == nullptr || *rank < bestRank ||
            (*rank == bestRank && output.isDefault && !best->isDefault)) {
            best = &output;
            bestRank = *rank;
        }
    }
    return best;
}

const SoundOutput* OutputRanking::bestPresent(const std::vector<SoundOutput>& outputs) const {
    return bestFrom(outputs, 0);
}

const SoundOutput* OutputRanking::bestPresentFallback(
    const std::vector<SoundOutput>& outputs) const {
    return bestFrom(outputs, 1);
}

std::string ordinal(std::size_t place) {
    const std::size_t lastTwo = place % 100;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        switch (place % 10) {
            case 1:
                suffix = "st";
                break;
            case 2:
                suffix = "nd";
                break;
            case 3:
                suffix = "rd";
                break;
            default:
                break;
        }
    }
    return fmt::format("{}{}", place, suffix);
}

}  // namespace tonvera
