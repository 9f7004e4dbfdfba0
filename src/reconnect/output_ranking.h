#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sound_outputs.h"

namespace tonvera {

class AppSettings;

// Where an output stands in the person's ranking.
struct RankPlace {
    enum class Section { above, preferred, below };

    Section section = Section::preferred;
    // 1 for the first entry of its list; 0 for the preferred output.
    std::size_t number = 0;

    bool operator==(const RankPlace&) const = default;
};

// Which output should play, best first: the outputs the person ranks above the preferred one
// (headphones at the desk, while they are there), the preferred output, then the list for while
// it is away. Names compare as the person sees them (canonically equal Unicode, case kept),
// never by the server's internal name, which a returning device may change.
//
// The usable entries are worked out once, when the ranking is made, with each name's canonical
// form: what a hand-edited file holds beyond them costs nothing afterwards.
class OutputRanking {
  public:
    struct Lists {
        std::vector<std::string> above;
        std::vector<std::string> below;
    };

    // The lists as they are used: no blank names, no repeats (a name on both lists keeps its
    // place above), not the preferred name itself, at most AppSettings::kMaxRankedOutputs
    // entries in all (those above first), in the stored order.
    static Lists usableLists(std::string_view preferred, const std::vector<std::string>& above,
                             const std::vector<std::string>& below);

    // The ranking the settings hold now.
    static OutputRanking of(const AppSettings& settings);

    OutputRanking() = default;
    OutputRanking(std::string preferred, const std::vector<std::string>& storedAbove,
                  const std::vector<std::string>& storedBelow);

    const std::string& preferred() const { return preferred_; }
    const std::vector<std::string>& above() const { return above_; }
    const std::vector<std::string>& fallbacks() const { return below_; }
    // Every ranked name, best first (the preferred one left out when its name is blank).
    std::vector<std::string> inOrder() const;

    // The place in the whole ranking, 0 for the best: the entries above, then the preferred
    // output (at preferredRank(), unless its name is blank), then the list. Nothing for an
    // output that is not ranked.
    std::optional<std::size_t> rankOf(std::string_view name) const;
    std::optional<RankPlace> placeOf(std::string_view name) const;
    std::size_t preferredRank() const { return above_.size(); }
    bool ranksAbovePreferred(std::string_view name) const;

    // The highest-ranked output in `outputs`, if any is ranked. Of several outputs with one
    // name, the one playing now wins, then the first.
    const SoundOutput* bestPresent(const std::vector<SoundOutput>& outputs) const;
    // The same among the entries above the preferred output alone.
    const SoundOutput* bestPresentAbove(const std::vector<SoundOutput>& outputs) const;
    // The same among the entries of the list below it alone.
    const SoundOutput* bestPresentFallback(const std::vector<SoundOutput>& outputs) const;

  private:
    const SoundOutput* bestBetween(const std::vector<SoundOutput>& outputs, std::size_t first,
                                   std::size_t last) const;

    std::string preferred_;
    std::vector<std::string> above_;
    std::vector<std::string> below_;
    // The canonical form of every ranked name in rank order; the preferred one's is empty when
    // its name is blank, so that nothing matches it.
    std::vector<std::string> keys_;
};

// "2nd", "3rd", "11th": an entry's place in a list, for the log.
std::string ordinal(std::size_t place);

}  // namespace tonvera
