#include "platform/qt/widgets/symbols.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QString>
#include <array>
#include <utility>

namespace tonvera {
namespace {

struct SymbolName {
    std::string_view symbol;
    const char* themeName;  // freedesktop icon name; empty when no theme icon means the same
};

// Symbols and the theme icons that mean the same thing.
constexpr std::array kSymbols = {
    SymbolName{"airplay.audio", ""},
    SymbolName{"checkmark", "object-select-symbolic"},
    SymbolName{"checkmark.circle.fill", "emblem-ok-symbolic"},
    SymbolName{"checkmark.shield.fill", "security-high-symbolic"},
    SymbolName{"exclamationmark.shield.fill", "security-low-symbolic"},
    SymbolName{"exclamationmark.triangle.fill", "dialog-warning-symbolic"},
    SymbolName{"chevron.up", "go-up-symbolic"},
    SymbolName{"chevron.down", "go-down-symbolic"},
    SymbolName{"minus", "list-remove-symbolic"},
    SymbolName{"plus", "list-add-symbolic"},
    SymbolName{"moon.zzz.fill", "weather-clear-night-symbolic"},
    SymbolName{"person.fill.checkmark", "avatar-default-symbolic"},
    SymbolName{"waveform", "audio-x-generic-symbolic"},
    SymbolName{"info.circle", "help-about-symbolic"},
    SymbolName{"1.circle.fill", ""},
    SymbolName{"2.circle.fill", ""},
    SymbolName{"3.circle.fill", ""},
    SymbolName{"gearshape.2", "preferences-system-symbolic"},
    SymbolName{"arrow.clockwise", "view-refresh-symbolic"},
    SymbolName{"switch.2", "preferences-other-symbolic"},
    SymbolName{"magnifyingglass", "edit-find-symbolic"},
    SymbolName{"lightbulb", ""},
};

QString resourcePath(std::string_view symbolName) {
    return QStringLiteral(":/symbols/") +
           QString::fromUtf8(symbolName.data(), static_cast<qsizetype>(symbolName.size())) +
           QStringLiteral(".svg");
}

const char* themeNameOf(std::string_view symbolName) {
    for (const auto& entry : kSymbols) {
        if (entry.symbol == symbolName) {
            return entry.themeName;
        }
    }
    return "";
}

}  // namespace

bool hasOwnSymbol(std::string_view symbolName) {
    return QFile::exists(resourcePath(symbolName));
}

QIcon symbolIcon(std::string_view symbolName) {
    QIcon own = hasOwnSymbol(symbolName) ? QIcon(resourcePath(symbolName)) : QIcon();
    const char* themeName = themeNameOf(symbolName);
    if (*themeName == '\0') {
        return own;
    }
    return QIcon::fromTheme(QString::fromLatin1(themeName), own);
}

QPixmap symbolPixmap(std::string_view symbolName, int size, const QColor& tint) {
    const qreal ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap = symbolIcon(symbolName).pixmap(QSize(size, size), ratio);
    if (pixmap.isNull()) {
        return pixmap;
    }
    // Symbols are monochrome: keep the shape, paint it in the wanted colour.
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), tint);
    return pixmap;
}

}  // namespace tonvera
