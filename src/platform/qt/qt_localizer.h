#pragma once

#include <QString>

#include "platform/localizer.h"

namespace tonvera {

// Texts through Qt's translators: the English source as key, the comment as disambiguation.
class QtLocalizer final : public Localizer {
  public:
    std::string localized(const LocalizedText& text) const override;
    std::string localizedPlural(const LocalizedText& text, int count) const override;
};

// Installs the application's translations for the user's language, compiled into the
// binary. The English file comes first: it rewords what names another system's things and
// gives the English plural forms; the user's language, when we have it, is searched before it.
void installTranslations(const QString& resourceFolder = QStringLiteral(":/i18n"));

}  // namespace tonvera
