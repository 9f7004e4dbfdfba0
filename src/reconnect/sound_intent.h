#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "settings/observer_list.h"
#include "settings/subscription.h"

namespace tonvera {

// What the person asked for last.
struct Intent {
    // The ranking: the best output there is. One output: the person's own pick.
    enum class Kind { ranking, output };
    // Who asked, for the log.
    enum class Source { start, wake, login, connectNow, handPick, namedConnect };

    Kind kind = Kind::ranking;
    Source source = Source::start;
    // The output asked for, when kind is `output`.
    std::string output;
    // Changes each time what is asked for changes; a run serves the generation it was started
    // for and ends at its next step once another one holds.
    std::uint64_t generation = 0;

    bool isRanking() const { return kind == Kind::ranking; }
};

// The one place that knows what the person asked for last: the ranking (after a wake, at
// login, on Connect now from any entry point) or one output (picked by hand in any sound menu,
// or named to `--connect`). Every automatic step reads it when it acts, not when its run began.
// It also remembers the Bluetooth devices the person disconnected, which are left alone until
// the ranking is asked for again.
//
// Changes come from the main thread; reads from any thread. Observers hear of every request,
// also one that asks for what holds already (its generation then stays), on the thread that
// made it, after it holds, with the source of that request.
class SoundIntent {
  public:
    // The ranking is asked for: an earlier pick no longer holds, and the person's Bluetooth
    // disconnects are forgotten. Starts a new generation only when one output was asked for.
    Intent followRanking(Intent::Source source);

    // One output is asked for. Starts a new generation unless the same output was asked for
    // already (compared as the person sees names).
    Intent pick(const std::string& output, Intent::Source source);

    Intent current() const;

    // True while the intent of `ticket`'s generation holds.
    bool holds(const Intent& ticket) const;

    // The person ended the connection of this Bluetooth device (or switched it off).
    void noteDisconnectByPerson(const std::string& address);
    bool disconnectedByPerson(const std::string& address) const;

    Subscription observe(std::function<void(const Intent&)> observer);

  private:
    Intent change(Intent::Kind kind, const std::string& output, Intent::Source source);

    mutable std::mutex mutex_;
    Intent current_;
    std::set<std::string> disconnectedByPerson_;
    ObserverList<Intent> observers_;
};

// For callers whose intent may be absent (a test, a command run without Tonvera): asks for
// the ranking or for one output when there is an intent, and gives what a run then serves.
std::optional<Intent> askForRanking(const std::shared_ptr<SoundIntent>& intent,
                                    Intent::Source source);
std::optional<Intent> askForOutput(const std::shared_ptr<SoundIntent>& intent,
                                   const std::string& output, Intent::Source source);

// "Kopfhörer was picked by hand", "the best output was asked for": what the intent asks for,
// for the log.
std::string describe(const Intent& intent);

}  // namespace tonvera
