#include "reconnect/sound_intent.h"

#include <utility>

#include <fmt/format.h>

#include "selection/unicode_text.h"

namespace tonvera {

Intent SoundIntent::followRanking(Intent::Source source) {
    {
        std::lock_guard lock(mutex_);
        disconnectedByPerson_.clear();
    }
    return change(Intent::Kind::ranking, {}, source);
}

Intent SoundIntent::pick(const std::string& output, Intent::Source source) {
    return change(Intent::Kind::output, output, source);
}

Intent SoundIntent::change(Intent::Kind kind, const std::string& output, Intent::Source source) {
    Intent now;
    {
        std::lock_guard lock(mutex_);
        const bool same =
            current_.kind == kind && (kind == Intent::Kind::ranking ||
                                      unicode_text::canonicallyEqual(current_.output, output));
        if (!same) {
            current_ = Intent{kind, source, output, current_.generation + 1};
        }
        now = current_;
        now.source = source;
    }
    observers_.notify(now);
    return now;
}

Intent SoundIntent::current() const {
    std::lock_guard lock(mutex_);
    return current_;
}

bool SoundIntent::holds(const Intent& ticket) const {
    std::lock_guard lock(mutex_);
    return current_.generation == ticket.generation;
}

void SoundIntent::noteDisconnectByPerson(const std::string& address) {
    std::lock_guard lock(mutex_);
    disconnectedByPerson_.insert(address);
}

bool SoundIntent::disconnectedByPerson(const std::string& address) const {
    std::lock_guard lock(mutex_);
    return disconnectedByPerson_.contains(address);
}

Subscription SoundIntent::observe(std::function<void(const Intent&)> observer) {
    return observers_.add(std::move(observer));
}

std::optional<Intent> askForRanking(const std::shared_ptr<SoundIntent>& intent,
                                    Intent::Source source) {
    return intent ? std::optional<Intent>(intent->followRanking(source)) : std::nullopt;
}

std::optional<Intent> askForOutput(const std::shared_ptr<SoundIntent>& intent,
                                   const std::string& output, Intent::Source source) {
    return intent ? std::optional<Intent>(intent->pick(output, source)) : std::nullopt;
}

std::string describe(const Intent& intent) {
    if (intent.isRanking()) {
        return "the best output was asked for";
    }
    return intent.source == Intent::Source::handPick
               ? fmt::format("{} was picked by hand", intent.output)
               : fmt::format("{} was asked for", intent.output);
}

}  // namespace tonvera
