#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/localizer.h"

namespace tonvera::testing {

// Answers every text with its English source, or with a translation the test set.
class SourceLocalizer final : public Localizer {
  public:
    std::string localized(const LocalizedText& text) const override {
        const auto found = translations_.find({text.source, text.comment});
        return found != translations_.end() ? found->second : std::string(text.source);
    }

    // The source (or the translation set for it) with each "%n" replaced by `count`.
    std::string localizedPlural(const LocalizedText& text, int count) const override {
        std::string result = localized(text);
        const std::string number = std::to_string(count);
        for (auto at = result.find("%n"); at != std::string::npos; at = result.find("%n", at)) {
            result.replace(at, 2, number);
            at += number.size();
        }
        return result;
    }

    void translate(std::string source, std::string comment, std::string translation) {
        translations_[{std::move(source), std::move(comment)}] = std::move(translation);
    }

  private:
    std::map<std::pair<std::string, std::string>, std::string> translations_;
};

}  // namespace tonvera::testing
