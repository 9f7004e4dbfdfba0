#include "reconnect/outputs_tracker.h"

#include <algorithm>
#include <utility>

#include "selection/unicode_text.h"

namespace tonvera {
namespace {

const SoundOutput* find(const std::vector<SoundOutput>& outputs, std::string_view identifier) {
    const auto found = std::ranges::find(outputs, identifier, &SoundOutput::identifier);
    return found != outputs.end() ? &*found : nullptr;
}

const std::vector<SoundOutput> kNoOutputs;

}  // namespace

bool OutputsChange::appearedNamed(std::string_view name) const {
    return std::ranges::any_of(appeared, [name](const SoundOutput& output) {
        return unicode_text::canonicallyEqual(output.name, name);
    });
}

std::optional<OutputsChange> OutputsTracker::update(const SoundOutputs::List& list,
                                                    Clock::TimePoint now) {
    if (!list) {
        // A lost server is no news about the outputs; its next list is taken as it is.
        forget();
        return std::nullopt;
    }
    if (!latest_) {
        latest_ = *list;
        return std::nullopt;
    }
    const std::vector<SoundOutput> before = std::exchange(*latest_, *list);
    std::erase_if(appearedAt_, [&](const auto& entry) {
        return now - entry.second > kSwitchOnAppearance || find(*latest_, entry.first) == nullptr;
    });
    OutputsChange change;
    for (const auto& output : *latest_) {
        if (find(before, output.identifier) == nullptr) {
            change.appeared.push_back(output);
            appearedAt_[output.identifier] = now;
        }
    }
    const auto previous = std::ranges::find_if(before, &SoundOutput::isDefault);
    const auto current = std::ranges::find_if(*latest_, &SoundOutput::isDefault);
    if (previous != before.end()) {
        change.previousDefault = *previous;
        change.previousDefaultGone = find(*latest_, previous->identifier) == nullptr;
    }
    if (current != latest_->end() &&
        (previous == before.end() || previous->identifier != current->identifier)) {
        change.newDefault = *current;
    }
    return change;
}

void OutputsTracker::forget() {
    latest_.reset();
    appearedAt_.clear();
}

const std::vector<SoundOutput>& OutputsTracker::outputs() const {
    return latest_ ? *latest_ : kNoOutputs;
}

const SoundOutput* OutputsTracker::defaultOutput() const {
    const auto& list = outputs();
    const auto found = std::ranges::find_if(list, &SoundOutput::isDefault);
    return found != list.end() ? &*found : nullptr;
}

const SoundOutput* OutputsTracker::named(std::string_view name) const {
    const auto& list = outputs();
    const auto found = std::ranges::find_if(list, [name](const SoundOutput& output) {
        return unicode_text::canonicallyEqual(output.name, name);
    });
    return found != list.end() ? &*found : nullptr;
}

const SoundOutput* OutputsTracker::byIdentifier(std::string_view identifier) const {
    return find(outputs(), identifier);
}

bool OutputsTracker::appearedJustNow(const SoundOutput& output) const {
    return appearedAt_.contains(output.identifier);
}

}  // namespace tonvera
