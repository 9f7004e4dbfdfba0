#include "platform/qt/qt_status_item.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

#include "platform/qt/accelerators.h"
#include "platform/qt/tray_menu_position.h"

namespace tonvera {
namespace {

QString qtString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The name panels look the tray glyph up by; its "-symbolic" tells them to colour it.
constexpr const char* kGlyphName = "tonvera-symbolic";
constexpr const char* kGlyphFile = ":/icons/tonvera-symbolic.svg";

// The glyph as a tray shows it: over D-Bus the icon theme's symbolic icon, which the panel
// colours, where the theme has it; else our drawing in `colour`, which is also what a host
// that cannot find the name shows.
QIcon glyph(bool overDBus, const QColor& colour) {
    const QString name = QString::fromLatin1(kGlyphName);
    if (overDBus && QIcon::hasThemeIcon(name)) {
        return QIcon::fromTheme(name);
    }
    const QIcon drawing(QString::fromLatin1(kGlyphFile));
    QIcon tinted;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap = drawing.pixmap(size);
        QPainter painter(&pixmap);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), colour);
        painter.end();
        tinted.addPixmap(pixmap);
    }
    return tinted;
}

// A title where a tray can only show pictures: the text drawn into the icon.
QIcon textIcon(const QString& text) {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(22);
    painter.setFont(font);
    painter.setPen(QApplication::palette().color(QPalette::WindowText));
    painter.drawText(pixmap.rect(), Qt::AlignCenter | Qt::TextWordWrap, text);
    return {pixmap};
}

QKeySequence shortcutFor(const std::string& keyEquivalent) {
    return {QStringLiteral("Ctrl+") + QString::fromStdString(keyEquivalent).toUpper()};
}

void fill(QMenu& menu, const MenuModel& model, bool overDBus) {
    // The old entries may be the sender of the signal that led here: let them go later.
    for (QAction* action : menu.actions()) {
        menu.removeAction(action);
        action->deleteLater();
    }
    for (const auto& item : model) {
        if (item.separator) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QtStatusItem::entryText(item.title, overDBus));
        action->setEnabled(item.enabled);
        if (item.toggle) {
            action->setCheckable(true);
            action->setChecked(item.checked);
        }
        if (!item.keyEquivalent.empty()) {
            action->setShortcut(shortcutFor(item.keyEquivalent));
            action->setShortcutVisibleInContextMenu(true);
        }
        if (item.action) {
            // Run after the menu has finished with the click: the action may rebuild the menu
            // or open a modal alert.
            QObject::connect(action, &QAction::triggered, action,
                             [run = item.action] { QTimer::singleShot(0, run); });
        }
    }
}

}  // namespace

QString QtStatusItem::entryText(const std::string& title, bool overDBus) {
    QString text = QString::fromStdString(title);
    if (!overDBus) {
        return withoutAccelerators(text);
    }
    text.replace(QLatin1Char('_'), QStringLiteral("__"));
    // Only the first "&" goes through Qt's conversion; "&&" becomes "_&", an ampersand shown
    // as itself. Later ones travel unchanged.
    if (const auto first = text.indexOf(QLatin1Char('&')); first >= 0 && first + 1 < text.size()) {
        text.insert(first, QLatin1Char('&'));
    }
    return text;
}

QtStatusItem::QtStatusItem() = default;

QtStatusItem::~QtStatusItem() {
    if (tray_) {
        tray_->hide();
    }
    // The entries go while the icon, whose exported menu holds their D-Bus counterparts, is
    // still there: once it is gone, nothing would delete those any more.
    for (QMenu* menu : {panelMenu_.get(), popupMenu_.get()}) {
        if (menu != nullptr) {
            menu->clear();
        }
    }
}

void QtStatusItem::showInTray(bool overDBus) {
    if (tray_) {
        tray_->hide();
    }
    // The old icon goes before its menus, which it refers to.
    tray_.reset();
    overDBus_ = overDBus;
    panelMenu_ = std::make_unique<QMenu>();
    popupMenu_ = overDBus ? std::make_unique<QMenu>() : nullptr;
    tray_ = std::make_unique<QSystemTrayIcon>();
    tray_->setContextMenu(panelMenu_.get());
    // On Wayland a menu of our own has no window to open from: Qt 6.4 shows it as a window of
    // its own in the middle of the screen. There the panel's menu (a right click) is the menu.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        popupMenu_.reset();
        refresh();
        return;
    }
    // A left click shows the menu too, as a menu-bar item would, beside the panel.
    QMenu* popup = popupMenu_ ? popupMenu_.get() : panelMenu_.get();
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated,
                     [popup](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger) {
                             popup->popup(trayMenuPosition(popup->sizeHint()));
                         }
                     });
    refresh();
}

void QtStatusItem::refresh() {
    if (!tray_) {
        return;
    }
    fillMenus();
    tray_->setToolTip(toolTip_);
    updateGlyph();
    if (!icon_.isNull()) {
        tray_->setIcon(icon_);
        tray_->show();
    }
}

bool QtStatusItem::setSymbolImage(std::string_view symbolName,
                                  std::string_view /*accessibilityDescription*/) {
    if (symbolName != "airplay.audio" || !QFile::exists(QString::fromLatin1(kGlyphFile))) {
        return false;
    }
    hasImage_ = true;
    refresh();
    return true;
}

void QtStatusItem::setPanelForeground(std::optional<QColor> colour) {
    panelForeground_ = colour;
    updateGlyph();
    if (tray_ && !icon_.isNull()) {
        tray_->setIcon(icon_);
    }
}

void QtStatusItem::updateGlyph() {
    if (hasImage_ && tray_) {
        icon_ =
            glyph(overDBus_,
                  panelForeground_.value_or(QApplication::palette().color(QPalette::WindowText)));
    }
}

void QtStatusItem::setTitle(std::string_view title) {
    if (!hasImage_) {
        icon_ = textIcon(qtString(title));
        refresh();
    }
}

void QtStatusItem::setToolTip(std::string_view toolTip) {
    toolTip_ = qtString(toolTip);
    if (tray_) {
        tray_->setToolTip(toolTip_);
    }
}

void QtStatusItem::setMenu(MenuModel model) {
    menu_ = std::move(model);
    if (tray_) {
        fillMenus();
    }
}

void QtStatusItem::fillMenus() {
    fill(*panelMenu_, menu_, overDBus_);
    if (popupMenu_) {
        fill(*popupMenu_, menu_, false);
    }
}

}  // namespace tonvera
