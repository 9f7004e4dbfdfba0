#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "reconnect/output_ranking.h"
#include "settings/app_settings.h"

namespace tonvera {

// The person's ranking of outputs as the Settings window edits it, one row each, best first:
// the outputs ranked above the preferred one, the preferred output itself (a fixed row, never
// selected, moved or removed), then the list for while it is away. Which rows it shows, which
// one is selected, what may be added, what the buttons may do and what is written. Main
// thread only, like the settings.
//
// The entries shown are the ones the ranking uses (OutputRanking::usableLists). Stored lists
// with odd values are shown cleaned but left as they are until the person edits; every edit
// then writes the cleaned lists.
class RankingEditor {
  public:
    // Why a name cannot be added; `none` when it can.
    enum class Refusal { none, blank, preferred, repeated, full };

    explicit RankingEditor(std::shared_ptr<AppSettings> settings);

    // Every row in rank order; the preferred output's row holds its name as typed.
    std::vector<std::string> rows() const;
    // The preferred output's row: as many entries rank above it.
    std::size_t preferredRow() const;
    // The selected row; absent when none is (the preferred row never is).
    std::optional<std::size_t> selected() const;

    // The name a person is about to add (typed, or picked from the found outputs).
    const std::string& draft() const { return draft_; }
    Refusal draftRefusal() const { return refusalFor(draft_); }
    Refusal refusalFor(const std::string& name) const;
    // Of `found`, in order, the names that could be added now.
    std::vector<std::string> candidates(const std::vector<std::string>& found) const;

    bool canAdd() const { return draftRefusal() == Refusal::none; }
    bool canRemove() const { return selected().has_value(); }
    bool canMoveUp() const;
    bool canMoveDown() const;

    // Each returns whether anything changed (and so whether a redraw is due).
    // Asking for the preferred row selects nothing.
    bool select(std::optional<std::size_t> row);
    bool setDraft(std::string name);
    // Adds the draft as the last entry, below the preferred output, where a new output costs
    // the person nothing until they move it up; selects it and empties the draft.
    bool add();
    // Removes the selected entry and selects the next one on its side of the preferred row (for
    // the last there, the one before it), so that repeated removals never cross to the other side.
    bool remove();
    // An entry next to the preferred row trades places with it, and so crosses to its other
    // side: the first entry below becomes the last above, and the other way round.
    bool moveUp();
    bool moveDown();

  private:
    OutputRanking::Lists lists() const;
    bool move(std::size_t from, std::size_t to);
    void write(const OutputRanking::Lists& next, std::optional<std::size_t> selection);

    std::shared_ptr<AppSettings> settings_;
    std::optional<std::size_t> selected_;
    std::string draft_;
};

}  // namespace tonvera
