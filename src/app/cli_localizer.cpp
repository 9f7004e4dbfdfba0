#include "app/cli_localizer.h"

#include <array>
#include <cctype>
#include <string_view>
#include <vector>

namespace tonvera {
namespace {

struct CatalogueEntry {
    std::string_view context;
    std::string_view source;
    std::string_view comment;
    std::string_view translation;
};

constexpr std::array kGerman = std::to_array<CatalogueEntry>({
#include "app/german_catalogue.inc"
});

// "de" of "de_DE.UTF-8@euro", "de-AT" or "DE".
std::string languageOf(std::string_view locale) {
    std::string language(locale.substr(0, locale.find_first_of("_-.@")));
    for (char& c : language) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return language;
}

std::vector<std::string_view> entries(std::string_view list) {
    std::vector<std::string_view> result;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        result.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

}  // namespace

std::string CliLocalizer::localized(const LocalizedText& text) const {
    if (language_ == Language::german) {
        const std::string_view comment = text.comment != nullptr ? text.comment : "";
        for (const auto& entry : kGerman) {
            if (entry.source == text.source && entry.comment == comment &&
                entry.context == text.context) {
                return std::string(entry.translation);
            }
        }
    }
    return text.source;
}

std::string CliLocalizer::localizedPlural(const LocalizedText& text, int count) const {
    std::string filled = text.source;
    for (auto at = filled.find("%n"); at != std::string::npos; at = filled.find("%n", at)) {
        const std::string number = std::to_string(count);
        filled.replace(at, 2, number);
        at += number.size();
    }
    return filled;
}

CliLocalizer::Language CliLocalizer::sessionLanguage(
    const std::function<std::string(const char*)>& variable) {
    std::string locale = variable("LC_ALL");
    for (const char* next : {"LC_MESSAGES", "LANG"}) {
        if (locale.empty()) {
            locale = variable(next);
        }
    }
    if (locale.empty() || locale == "C" || locale == "POSIX") {
        return Language::english;
    }
    const std::string wanted = variable("LANGUAGE");
    const std::vector<std::string_view> languages =
        wanted.empty() ? std::vector<std::string_view>{locale} : entries(wanted);
    // The locale's own language decides first: English (or "C.UTF-8") stays English even when
    // LANGUAGE lists German later.
    const std::string first = languageOf(languages.front().empty() ? locale : languages.front());
    if (first == "en" || first == "c") {
        return Language::english;
    }
    for (const auto language : languages) {
        const std::string code = languageOf(language);
        if (code == "de" || code == "en") {
            return code == "de" ? Language::german : Language::english;
        }
    }
    return Language::english;
}

}  // namespace tonvera
