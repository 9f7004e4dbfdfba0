#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/sound_outputs.h"

namespace tonvera {

// Which output should play: the preferred one first, then the usable entries of the list the
// person keeps for while it is away. Names compare as the person sees them (canonically equal
// Unicode, case kept), never by the server's internal name, which a returning device may change.
class OutputRanking {
  public:
    // The list as it is used: no blank names, no repeats, not the preferred name itself, at
    // most AppSettings::kMaxFallbackOutputs entries, in the stored order.
    static std::vector<std::string> usableFallbacks(const std::string& preferred,
                                                    const std::vector<std::string>& stored);

    OutputRanking(std::string preferred, const std::vector<std::string>& storedFallbacks);

    const std::string& preferred() const { return preferred_; }
    const std::vector<std::string>& fallbacks() const { return fallbacks_; }

    // 0 for the preferred output, 1 for the first entry of the list, and so on; nothing for an
    // output that is on neither.
    std::optional<std::size_t> rankOf(const std::string& name) const;

    // The highest-ranked output in `outputs`, if any is listed. Of several outputs with one
    // name, the one playing now wins, then the first.
    const SoundOutput* bestPresent(const std::vector<SoundOutput>& outputs) const;

    // The best present entry of the list alone (the preferred output left out).
    const SoundOutput* bestPresentFallback(const std::vector<SoundOutput>& outputs) const;

  private:
    const SoundOutput* bestFrom(const std::vector<SoundOutput>& outputs, std::size_t first) const;

    std::string preferred_;
    std::vector<std::string> fallbacks_;
};

// "2nd", "3rd", "11th": an entry's place in the list, for the log.
std::string ordinal(std::size_t place);

}  // namespace tonvera
