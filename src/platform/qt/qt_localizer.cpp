#include "platform/qt/qt_localizer.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tonvera {

std::string QtLocalizer::localized(const LocalizedText& text) const {
    const char* comment = text.comment != nullptr && *text.comment != '\0' ? text.comment : nullptr;
    return QCoreApplication::translate(text.context, text.source, comment).toStdString();
}

std::string QtLocalizer::localizedPlural(const LocalizedText& text, int count) const {
    const char* comment = text.comment != nullptr && *text.comment != '\0' ? text.comment : nullptr;
    return QCoreApplication::translate(text.context, text.source, comment, count).toStdString();
}

void installTranslations(const QString& resourceFolder) {
    auto* english = new QTranslator(QCoreApplication::instance());
    if (english->load(QStringLiteral("tonvera_en"), resourceFolder)) {
        QCoreApplication::installTranslator(english);
    }
    const QLocale locale;
    if (locale.language() == QLocale::English || locale.language() == QLocale::C) {
        return;
    }
    auto* own = new QTranslator(QCoreApplication::instance());
    if (own->load(locale, QStringLiteral("tonvera"), QStringLiteral("_"), resourceFolder)) {
        QCoreApplication::installTranslator(own);
    }
    // Qt's own texts (text field menus, standard buttons) in the same language, when installed.
    auto* qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
    }
}

}  // namespace tonvera
