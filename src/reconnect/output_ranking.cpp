#include "reconnect/output_ranking.h"

#include <algorithm>
#include <utility>

#include <fmt/format.h>

#include "selection/unicode_text.h"
#include "settings/app_settings.h"

namespace tonvera {
namespace {

// The form in which canonically equal names are equal bytes.
std::string canonicalKey(std::string_view name) {
    return unicode_text::decomposed(name);
}

}  // namespace

OutputRanking::Lists OutputRanking::usableLists(std::string_view preferred,
                                                const std::vector<std::string>& above,
                                                const std::vector<std::string>& below) {
    Lists usable;
    // Each stored name is compared with at most kMaxRankedOutputs + 1 others, as stored first
    // and in canonical form only when that finds no match: a hand-edited list of a hundred
    // thousand repeats costs one quick pass.
    std::vector<std::string_view> takenAsStored;
    std::vector<std::string> taken;
    if (!unicode_text::isBlank(preferred)) {
        takenAsStored.push_back(preferred);
        taken.push_back(canonicalKey(preferred));
    }
    const auto take = [&](const std::vector<std::string>& stored, std::vector<std::string>& into,
                          std::size_t room) {
        for (const auto& name : stored) {
            if (into.size() == room) {
                return;
            }
            if (std::ranges::find(takenAsStored, name) != takenAsStored.end() ||
                unicode_text::trimmedOfWhitespaceAndNewlines(name).empty()) {
                continue;
            }
            std::string key = canonicalKey(name);
            if (std::ranges::find(taken, key) != taken.end()) {
                continue;
            }
            takenAsStored.push_back(name);
            taken.push_back(std::move(key));
            into.push_back(name);
        }
    };
    take(above, usable.above, AppSettings::kMaxRankedOutputs);
    take(below, usable.below, AppSettings::kMaxRankedOutputs - usable.above.size());
    return usable;
}

OutputRanking OutputRanking::of(const AppSettings& settings) {
    return {settings.deviceName(), settings.priorityOutputs(), settings.fallbackOutputs()};
}

OutputRanking::OutputRanking(std::string preferred, const std::vector<std::string>& storedAbove,
                             const std::vector<std::string>& storedBelow)
    : preferred_(std::move(preferred)) {
    Lists usable = usableLists(preferred_, storedAbove, storedBelow);
    above_ = std::move(usable.above);
    below_ = std::move(usable.below);
    keys_.reserve(above_.size() + 1 + below_.size());
    for (const auto& name : above_) {
        keys_.push_back(canonicalKey(name));
    }
    keys_.push_back(unicode_text::isBlank(preferred_) ? std::string() : canonicalKey(preferred_));
    for (const auto& name : below_) {
        keys_.push_back(canonicalKey(name));
    }
}

std::vector<std::string> OutputRanking::inOrder() const {
    std::vector<std::string> names = above_;
    if (!unicode_text::isBlank(preferred_)) {
        names.push_back(preferred_);
    }
    names.insert(names.end(), below_.begin(), below_.end());
    return names;
}

std::optional<std::size_t> OutputRanking::rankOf(std::string_view name) const {
    if (unicode_text::isBlank(name)) {
        return std::nullopt;
    }
    const std::string key = canonicalKey(name);
    const auto found = std::ranges::find(keys_, key);
    if (found == keys_.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - keys_.begin());
}

std::optional<RankPlace> OutputRanking::placeOf(std::string_view name) const {
    const auto rank = rankOf(name);
    if (!rank) {
        return std::nullopt;
    }
    if (*rank < above_.size()) {
        return RankPlace{RankPlace::Section::above, *rank + 1};
    }
    if (*rank == above_.size()) {
        return RankPlace{RankPlace::Section::preferred, 0};
    }
    return RankPlace{RankPlace::Section::below, *rank - above_.size()};
}

bool OutputRanking::ranksAbovePreferred(std::string_view name) const {
    const auto rank = rankOf(name);
    return rank && *rank < preferredRank();
}

const SoundOutput* OutputRanking::bestBetween(const std::vector<SoundOutput>& outputs,
                                              std::size_t first, std::size_t last) const {
    const SoundOutput* best = nullptr;
    std::size_t bestRank = 0;
    for (const auto& output : outputs) {
        const auto rank = rankOf(output.name);
        if (!rank || *rank < first || *rank >= last) {
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
    return bestBetween(outputs, 0, keys_.size());
}

const SoundOutput* OutputRanking::bestPresentAbove(const std::vector<SoundOutput>& outputs) const {
    return bestBetween(outputs, 0, preferredRank());
}

const SoundOutput* OutputRanking::bestPresentFallback(
    const std::vector<SoundOutput>& outputs) const {
    return bestBetween(outputs, preferredRank() + 1, keys_.size());
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
