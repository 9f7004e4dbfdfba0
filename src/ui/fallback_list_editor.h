#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings/app_settings.h"

namespace tonvera {

// The ordered list of outputs to use while the preferred one is away, as the Settings window
// edits it: which entries it shows, which one is selected, what may be added, what the buttons
// may do and what is written. Main thread only, like the settings.
//
// The entries shown are the ones the ranking uses (no blanks, no repeats, not the preferred
// name, at most kMaxRankedOutputs). A stored list with odd values is shown cleaned but left
// as it is until the person edits the list; every edit then writes the cleaned list.
class FallbackListEditor {
  public:
    // Why a name cannot be added; `none` when it can.
    enum class Refusal { none, blank, preferred, repeated, full };

    explicit FallbackListEditor(std::shared_ptr<AppSettings> settings);

    std::vector<std::string> entries() const;
    // The selected entry's index; absent when nothing is (or the list is empty).
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
    bool select(std::optional<std::size_t> index);
    bool setDraft(std::string name);
    // Adds the draft at the end, selects it and empties the draft.
    bool add();
    // Removes the selected entry; the one after it (or, for the last, before it) is selected.
    bool remove();
    bool moveUp();
    bool moveDown();

  private:
    bool move(std::size_t from, std::size_t to);
    void write(const std::vector<std::string>& entries, std::optional<std::size_t> selection);

    std::shared_ptr<AppSettings> settings_;
    std::optional<std::size_t> selected_;
    std::string draft_;
};

}  // namespace tonvera
