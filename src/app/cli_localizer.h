#pragma once

#include <functional>
#include <string>

#include "platform/localizer.h"

namespace tonvera {

// The command line's texts in the session's language without a toolkit: the German
// translations are compiled in from translations/tonvera_de.ts, the one file the windows'
// translations come from as well, so every text has one translation in one place.
class CliLocalizer final : public Localizer {
  public:
    enum class Language { english, german };

    explicit CliLocalizer(Language language) : language_(language) {}

    std::string localized(const LocalizedText& text) const override;
    // No command prints a count: the English source, filled.
    std::string localizedPlural(const LocalizedText& text, int count) const override;

    // The language the windows choose for the same environment (`variable` reads one; empty
    // when unset): LC_ALL, LC_MESSAGES or LANG, the first one set, names the locale; "C" and
    // "POSIX" mean English. Otherwise LANGUAGE, when set, lists the languages in the order
    // wanted; the first of them we have a translation for wins.
    static Language sessionLanguage(const std::function<std::string(const char*)>& variable);

  private:
    Language language_;
};

}  // namespace tonvera
