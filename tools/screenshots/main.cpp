// Draws every window of the application in its main states, in a light and a dark
// appearance, into PNG files: tonvera_screenshots <output folder> [name filter]
#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QPixmap>
#include <QStyle>
#include <QStyleFactory>
#include <QTranslator>
#include <cstdio>
#include <string>
#include <vector>

#include "support/dark_palette.h"
#include "tools/screenshots/scene.h"

namespace tonvera::screenshots {
namespace {

// Texts through one of the translation files compiled into the application.
class ResourceLocalizer final : public Localizer {
  public:
    explicit ResourceLocalizer(const QString& language) {
        static_cast<void>(
            translator_.load(QStringLiteral("tonvera_") + language, QStringLiteral(":/i18n")));
    }

    std::string localized(const LocalizedText& text) const override {
        const char* comment =
            text.comment != nullptr && *text.comment != '\0' ? text.comment : nullptr;
        const QString translated = translator_.translate(text.context, text.source, comment);
        return translated.isEmpty() ? std::string(text.source) : translated.toStdString();
    }

    std::string localizedPlural(const LocalizedText& text, int count) const override {
        const char* comment =
            text.comment != nullptr && *text.comment != '\0' ? text.comment : nullptr;
        QString translated = translator_.translate(text.context, text.source, comment, count);
        if (translated.isEmpty()) {
            translated = QString::fromUtf8(text.source);
        }
        return translated.replace(QStringLiteral("%n"), QString::number(count)).toStdString();
    }

  private:
    QTranslator translator_;
};

void settle() {
    for (int round = 0; round < 5; ++round) {
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }
}

bool draw(const Scene& scene, const QString& folder, const char* appearance) {
    SceneWindow window = scene.build();
    window.widget->setWindowTitle(QStringLiteral("Tonvera"));
    window.widget->resize(window.size);
    window.widget->show();
    settle();
    if (window.afterShow) {
        window.afterShow();
        settle();
    }
    const QString file =
        QDir(folder).filePath(QString::fromStdString(scene.name) + QLatin1Char('-') +
                              QLatin1String(appearance) + QStringLiteral(".png"));
    const bool saved = window.widget->grab().save(file);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "could not write",
                 file.toLocal8Bit().constData());
    window.widget->close();
    return saved;
}

}  // namespace

std::shared_ptr<Localizer> englishLocalizer() {
    static const auto english = std::make_shared<ResourceLocalizer>(QStringLiteral("en"));
    return english;
}

std::shared_ptr<Localizer> germanLocalizer() {
    static const auto german = std::make_shared<ResourceLocalizer>(QStringLiteral("de"));
    return german;
}

}  // namespace tonvera::screenshots

int main(int argc, char** argv) {
    using namespace tonvera::screenshots;
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder> [name filter]\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const std::string filter = argc > 2 ? argv[2] : "";
    QDir().mkpath(folder);

    std::vector<Scene> scenes = settingsScenes();
    for (auto& scene : onboardingScenes()) {
        scenes.push_back(std::move(scene));
    }

    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    bool allSaved = true;
    for (const char* appearance : {"light", "dark"}) {
        QApplication::setPalette(std::string(appearance) == "dark"
                                     ? tonvera::testing::darkPalette()
                                     : QApplication::style()->standardPalette());
        for (const Scene& scene : scenes) {
            if (scene.name.find(filter) != std::string::npos) {
                allSaved = draw(scene, folder, appearance) && allSaved;
            }
        }
    }
    return allSaved ? 0 : 1;
}
