#include "ui/ranking_editor.h"

#include <algorithm>
#include <utility>

#include "selection/unicode_text.h"

namespace tonvera {

RankingEditor::RankingEditor(std::shared_ptr<AppSettings> settings)
    : settings_(std::move(settings)) {}

OutputRanking::Lists RankingEditor::lists() const {
    return OutputRanking::usableLists(settings_->deviceName(), settings_->priorityOutputs(),
                                      settings_->fallbackOutputs());
}

std::vector<std::string> RankingEditor::rows() const {
    OutputRanking::Lists current = lists();
    std::vector<std::string> rows = std::move(current.above);
    rows.push_back(settings_->deviceName());
    std::ranges::move(current.below, std::back_inserter(rows));
    return rows;
}

std::size_t RankingEditor::preferredRow() const {
    return lists().above.size();
}

std::optional<std::size_t> RankingEditor::selected() const {
    // The rows may have changed meanwhile (the preferred name changed, or the file did).
    if (selected_ && *selected_ < rows().size() && *selected_ != preferredRow()) {
        return selected_;
    }
    return std::nullopt;
}

RankingEditor::Refusal RankingEditor::refusalFor(const std::string& name) const {
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
    const OutputRanking::Lists current = lists();
    if (std::ranges::any_of(current.above, same) || std::ranges::any_of(current.below, same)) {
        return Refusal::repeated;
    }
    if (current.above.size() + current.below.size() >= AppSettings::kMaxRankedOutputs) {
        return Refusal::full;
    }
    return Refusal::none;
}

std::vector<std::string> RankingEditor::candidates(const std::vector<std::string>& found) const {
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

bool RankingEditor::canMoveUp() const {
    const auto row = selected();
    return row && *row > 0;
}

bool RankingEditor::canMoveDown() const {
    const auto row = selected();
    return row && *row + 1 < rows().size();
}

bool RankingEditor::select(std::optional<std::size_t> row) {
    if (row && (*row >= rows().size() || *row == preferredRow())) {
        row.reset();
    }
    if (row == selected()) {
        return false;
    }
    selected_ = row;
    return true;
}

bool RankingEditor::setDraft(std::string name) {
    if (name == draft_) {
        return false;
    }
    draft_ = std::move(name);
    return true;
}

bool RankingEditor::add() {
    if (!canAdd()) {
        return false;
    }
    OutputRanking::Lists next = lists();
    next.below.push_back(draft_);
    draft_.clear();
    const std::size_t row = next.above.size() + next.below.size();
    write(next, row);
    return true;
}

bool RankingEditor::remove() {
    const auto row = selected();
    if (!row) {
        return false;
    }
    OutputRanking::Lists next = lists();
    const std::size_t split = next.above.size();
    std::optional<std::size_t> neighbour;
    if (*row < split) {
        next.above.erase(next.above.begin() + static_cast<std::ptrdiff_t>(*row));
        if (*row < next.above.size()) {
            neighbour = *row;
        } else if (*row > 0) {
            neighbour = *row - 1;
        }
    } else {
        const std::size_t entry = *row - split - 1;
        next.below.erase(next.below.begin() + static_cast<std::ptrdiff_t>(entry));
        if (entry < next.below.size()) {
            neighbour = *row;
        } else if (entry > 0) {
            neighbour = *row - 1;
        }
    }
    write(next, neighbour);
    return true;
}

bool RankingEditor::moveUp() {
    return canMoveUp() && move(*selected(), *selected() - 1);
}

bool RankingEditor::moveDown() {
    return canMoveDown() && move(*selected(), *selected() + 1);
}

bool RankingEditor::move(std::size_t from, std::size_t to) {
    const OutputRanking::Lists current = lists();
    const std::size_t preferred = current.above.size();
    std::vector<std::string> entries = current.above;
    entries.insert(entries.end(), current.below.begin(), current.below.end());
    std::size_t split = preferred;
    if (to == preferred) {
        // The entries keep their order; only the preferred output's place among them moves.
        split = from < to ? split - 1 : split + 1;
    } else {
        const auto entryOf = [preferred](std::size_t row) {
            return row < preferred ? row : row - 1;
        };
        std::swap(entries.at(entryOf(from)), entries.at(entryOf(to)));
    }
    const auto middle = entries.begin() + static_cast<std::ptrdiff_t>(split);
    write({{entries.begin(), middle}, {middle, entries.end()}}, to);
    return true;
}

void RankingEditor::write(const OutputRanking::Lists& next, std::optional<std::size_t> selection) {
    selected_ = selection;
    // Only a list whose stored form differs is written. The one that gains an entry goes
    // first: meanwhile a name on both lists keeps its place above, so whoever watches the
    // settings sees the old ranking or the new one, never an entry that is on neither list.
    const bool aboveFirst = next.above.size() > lists().above.size();
    const auto writeAbove = [&] {
        if (settings_->priorityOutputs() != next.above) {
            settings_->setPriorityOutputs(next.above);
        }
    };
    const auto writeBelow = [&] {
        if (settings_->fallbackOutputs() != next.below) {
            settings_->setFallbackOutputs(next.below);
        }
    };
    if (aboveFirst) {
        writeAbove();
        writeBelow();
    } else {
        writeBelow();
        writeAbove();
    }
}

}  // namespace tonvera
