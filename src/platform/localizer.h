#pragma once

#include <string>

namespace tonvera {

// A user-visible text as written in the source: its English value (also the lookup key) and
// the comment that names its place (empty for fixed window labels). The context is always
// "Tonvera": translators see one table. Texts that the resources also know by a dotted key
// carry it as a translator field on the line before (//~ key menu.find_devices).
struct LocalizedText {
    const char* context = nullptr;
    const char* source = nullptr;
    const char* comment = nullptr;
};

// Marks a text for translation where it is written; the translation tools collect these.
#define TONVERA_TRANSLATE(context, source, comment) \
    ::tonvera::LocalizedText {                      \
        context, source, comment                    \
    }

// Marks a text that counts something ("%n outputs"): each language gives it the plural forms
// it needs, and "%n" stands for the number.
#define TONVERA_TRANSLATE_N(context, source, comment) \
    ::tonvera::LocalizedText {                        \
        context, source, comment                      \
    }

// Looks texts up in the user's language. Callable from any thread.
class Localizer {
  public:
    virtual ~Localizer() = default;

    // The text in the user's language; its English source when no translation exists.
    virtual std::string localized(const LocalizedText& text) const = 0;

    // A TONVERA_TRANSLATE_N text in the form the language uses for `count`, with each "%n"
    // replaced by the number; the English source, so filled, when no translation exists.
    virtual std::string localizedPlural(const LocalizedText& text, int count) const = 0;
};

}  // namespace tonvera
