#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/sound_outputs.h"

namespace tonvera {

// What one new list of outputs changed against the one before.
struct OutputsChange {
    // Outputs whose internal name was not in the list before: a device back under a new one has
    // appeared, even when a namesake was there or left in the same burst.
    std::vector<SoundOutput> appeared;
    // The output that played before, and whether it is gone now.
    std::optional<SoundOutput> previousDefault;
    bool previousDefaultGone = false;
    // The default now, when it is another output than before.
    std::optional<SoundOutput> newDefault;

    bool appearedNamed(std::string_view name) const;
};

// The sound server's outputs as last heard, and what each new list changed. A list that tells
// only what is there (the first, or the first after the server was lost) changes nothing.
class OutputsTracker {
  public:
    // How long after an output appears a server's switch to it counts as the server's own
    // (switch-on-connect).
    static constexpr std::chrono::seconds kSwitchOnAppearance{2};

    // Takes the new list; nothing when it tells no change (the first list, or a lost server).
    std::optional<OutputsChange> update(const SoundOutputs::List& list, Clock::TimePoint now);
    // Forgets everything: the next list is a first one again.
    void forget();

    bool known() const { return latest_.has_value(); }
    const std::vector<SoundOutput>& outputs() const;
    const SoundOutput* defaultOutput() const;
    // The first output with this visible name (canonically equal), if any.
    const SoundOutput* named(std::string_view name) const;
    const SoundOutput* byIdentifier(std::string_view identifier) const;
    // The output appeared within kSwitchOnAppearance before the last update.
    bool appearedJustNow(const SoundOutput& output) const;

  private:
    std::optional<std::vector<SoundOutput>> latest_;
    // When each output (by internal name) appeared, for the last few seconds.
    std::map<std::string, Clock::TimePoint, std::less<>> appearedAt_;
};

}  // namespace tonvera
