#include "ui/fallback_list_editor.h"

#include <algorithm>
#include <utility>

#include "reconnect/output_ranking.h"
#include "selection/unicode_text.h"

namespace tonvera {

FallbackListEditor::FallbackListEditor(std::shared_ptr<AppSettings> settings)
    : settings_(std::move(settings)) {}

std::vector<std::string> FallbackListEditor::entries() const {
    return OutputRanking::usableLists(settings_->deviceName(), settings_->priorityOutputs(),
                                      settings_->fallbackOutputs())
        .below;
}

std::optional<std::size_t> FallbackListEditor::selected() const {
    // The list may have shrunk meanwhile (the preferred name changed, or the file did).
    if (selected_ && *selected_ < entries().size()) {
        return selected_;
    }
    return std::nullopt;
}

FallbackListEditor::Refusal FallbackListEditor::refusalFor(const std::string& name) const {
    if (unicode_text::isBlank(name)) {
        return Refusal::blank;
    }
    // The same comparison as the ranking's, so nothing is accepted here that it would drop.
    const auto same = [&name](const std::string& other) {
        return unicode_text::canonicallyEqual(name, other);
    };
    if (same(settings_->deviceName())) {
        return Refusal::preferred;
    }
    const std::vector<std::string> current = entries();
    if (std::ranges::any_of(current, same)) {
        return Refusal::repeated;
    }
    if (current.size() >= AppSettings::kMaxRankedOutputs) {
        return Refusal::full;
    }
    return Refusal::none;
}

std::vector<std::string> FallbackListEditor::candidates(
    const std::vector<std::string>& found) const {
    std::vector<std::string> result;
    for (const auto& name : found) {
        const bool listedAlready = std::ranges::any_of(result, [&name](const std::string& other) {
            return unicode_text::canonicallyEqual(name, other);
        });
        if (!listedAlready && refusalFor(name) == Refusal::none) {
            result.push_back(name);
        }
    }
    return result;
}

bool FallbackListEditor::canMoveUp() const {
    const auto index = selected();
    return index && *index > 0;
}

bool FallbackListEditor::canMoveDown() const {
    const auto index = selected();
    return index && *index + 1 < entries().size();
}

bool FallbackListEditor::select(std::optional<std::size_t> index) {
    if (index && *index >= entries().size()) {
        index.reset();
    }
    if (index == selected()) {
        return false;
    }
    selected_ = index;
    return true;
}

bool FallbackListEditor::setDraft(std::string name) {
    if (name == draft_) {
        return false;
    }
    draft_ = std::move(name);
    return true;
}

bool FallbackListEditor::add() {
    if (!canAdd()) {
        return false;
    }
    std::vector<std::string> updated = entries();
    updated.push_back(draft_);
    draft_.clear();
    write(updated, updated.size() - 1);
    return true;
}

bool FallbackListEditor::remove() {
    const auto index = selected();
    if (!index) {
        return false;
    }
    std::vector<std::string> updated = entries();
    updated.erase(updated.begin() + static_cast<std::ptrdiff_t>(*index));
    std::optional<std::size_t> next;
    if (!updated.empty()) {
        next = std::min(*index, updated.size() - 1);
    }
    write(updated, next);
    return true;
}

bool FallbackListEditor::moveUp() {
    return canMoveUp() && move(*selected(), *selected() - 1);
}

bool FallbackListEditor::moveDown() {
    return canMoveDown() && move(*selected(), *selected() + 1);
}

bool FallbackListEditor::move(std::size_t from, std::size_t to) {
    std::vector<std::string> updated = entries();
    std::swap(updated.at(from), updated.at(to));
    write(updated, to);
    return true;
}

void FallbackListEditor::write(const std::vector<std::string>& entries,
                               std::optional<std::size_t> selection) {
    selected_ = selection;
    settings_->setFallbackOutputs(entries);
}

}  // namespace tonvera
