#pragma once

#include <QString>

#include "platform/localizer.h"

namespace tonvera {

// Texts through Qt's translators: the English source as key, the comment as disambiguation.
class QtLocalizer final : public Localizer {
  public:
    std::string localized(const LocalizedText& text) const override;
};

// Installs the application's translations for the user's language, compiled into the
// binary. The English file comes first and only rewords what names another system's things;
// the user's language, when we have it, is searched before it.
void installTranslations(const QString& resourceFolder = QStringLiteral(":/i18n"));

}  // namespace tonvera
