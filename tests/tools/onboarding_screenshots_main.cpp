// Renders every state of the onboarding window, light and dark, into PNG files:
//   tonvera_onboarding_screenshots [output folder]   (default: docs/screenshots)
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPalette>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <cstdio>

#include "onboarding_scenes.h"
#include "platform/qt/widgets/onboarding_widget.h"

namespace {

using tonvera::testing::OnboardingHarness;
using tonvera::testing::OnboardingScene;

QPalette darkPalette() {
    QPalette palette;
    const QColor window(0x26, 0x26, 0x29);
    const QColor base(0x1C, 0x1C, 0x1F);
    const QColor text(0xEC, 0xEC, 0xEE);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3A, 0x3A, 0x3F));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(0x8A, 0x8A, 0x90));
    palette.setColor(QPalette::Highlight, QColor(0x4C, 0x9A, 0xFF));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x86));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x86));
    return palette;
}

void settleEvents() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
}

bool save(QWidget& widget, const QString& path) {
    settleEvents();
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

bool render(const OnboardingScene& scene, const QString& theme, const QDir& folder) {
    OnboardingHarness harness;
    scene.prepare(harness);
    const auto view = harness.makeView();
    const auto widget = tonvera::makeOnboardingWidget(view);
    widget->show();
    scene.play(harness, *view);
    const QString base =
        QStringLiteral("onboarding-%1-%2").arg(QString::fromStdString(scene.name), theme);
    bool ok = save(*widget, folder.filePath(base + QStringLiteral(".png")));
    if (scene.alsoScrolled) {
        auto* scroll = widget->findChild<QScrollArea*>(QStringLiteral("pageScrollArea"));
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        ok = save(*widget, folder.filePath(base + QStringLiteral("-scrolled.png"))) && ok;
    }
    widget->hide();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // Symbols the application does not draw itself come from the desktop's icon theme.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor")) {
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    }
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1])
                               : QStringLiteral("docs/screenshots"));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    const QPalette light = QApplication::style()->standardPalette();
    bool ok = true;
    for (const auto& [theme, palette] : {std::pair{QStringLiteral("light"), light},
                                         std::pair{QStringLiteral("dark"), darkPalette()}}) {
        QApplication::setPalette(palette);
        for (const auto& scene : tonvera::testing::onboardingScenes()) {
            ok = render(scene, theme, folder) && ok;
        }
    }
    return ok ? 0 : 1;
}
