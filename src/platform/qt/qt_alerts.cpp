#include "platform/qt/qt_alerts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QTimer>
#include <vector>

#include "platform/qt/accelerators.h"
#include "platform/qt/quit_request.h"

namespace tonvera {
namespace {

constexpr int kMinimumWidth = 380;

QMessageBox::Icon iconFor(AlertStyle style) {
    switch (style) {
        case AlertStyle::informational:
            return QMessageBox::Information;
        case AlertStyle::critical:
            return QMessageBox::Critical;
        case AlertStyle::warning:
            break;
    }
    return QMessageBox::Warning;
}

}  // namespace

int QtAlerts::runModal(const AlertContent& alert) {
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Tonvera"));
    box.setIcon(iconFor(alert.style));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(alert.messageText));
    box.setInformativeText(QString::fromStdString(alert.informativeText));
    // The message is the alert's headline; the informative text explains it.
    if (auto* message = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        QFont headline = message->font();
        headline.setBold(true);
        message->setFont(headline);
    }
    // The informative label would otherwise guess at markup: a device name is never HTML.
    if (auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        informative->setTextFormat(Qt::PlainText);
    }

    std::vector<std::string> titles = alert.buttons;
    if (titles.empty()) {
        titles.push_back(localizer_->localized(TONVERA_TRANSLATE("Tonvera", "OK", "Alert button")));
    }
    std::vector<QAbstractButton*> buttons;
    buttons.reserve(titles.size());
    for (const auto& title : titles) {
        // Own roles keep Qt from reordering the buttons by platform convention.
        buttons.push_back(box.addButton(withoutAccelerators(title), QMessageBox::ActionRole));
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
    // Escape and the close box press an invisible button, so they answer "no button" instead
    // of guessing which visible one means "cancel".
    QPushButton* dismiss = box.addButton(QMessageBox::Cancel);
    dismiss->hide();
    box.setEscapeButton(dismiss);

    // Without a floor on its width the box wraps a sentence of informative text into a column.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(kMinimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }

    // A tray application has no window in front: bring the alert there.
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
    box.exec();

    for (std::size_t index = 0; index < buttons.size(); ++index) {
        if (box.clickedButton() == buttons[index]) {
            return kAlertFirstButtonReturn + static_cast<int>(index);
        }
    }
    // Quitting ends the alert's own event loop too; that is not the person's answer.
    return isQuitRequested() ? kAlertClosedByQuit : kAlertDismissed;
}

}  // namespace tonvera
