#include "platform/qt/widgets/settings_widget.h"

#include <QAbstractButton>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/qt/widgets/switch_toggle.h"
#include "support/view_harness.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;

struct SettingsWidgetTest : ::testing::Test, SettingsViewHarness {
    std::shared_ptr<SettingsView> view;
    std::unique_ptr<QWidget> window;

    void open() {
        view = makeView(orchestrator);
        window = makeSettingsWidget(view);
        const WindowOptions options = SettingsView::windowOptions();
        window->resize(options.contentWidth, options.contentHeight);
        window->show();
        QApplication::processEvents();
    }

    template <typename T = QWidget>
    T* child(const char* name) const {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // A label's or button's text.
    std::string text(const char* name) const {
        return child(name)->property("text").toString().toStdString();
    }
    bool shown(const char* name) const { return child(name)->isVisible(); }

    // Every visible control lies inside the window (found rows inside their list, which
    // scrolls) and has the room its text asks for.
    void expectNothingCutOff() const {
        ASSERT_EQ(window->size(), QSize(SettingsView::windowOptions().contentWidth,
                                        SettingsView::windowOptions().contentHeight));
        auto* list = child<QScrollArea>("deviceList");
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            if (!widget->isVisibleTo(window.get()) || widget->inherits("QScrollBar")) {
                continue;
            }
            const bool listed = list->widget()->isAncestorOf(widget);
            QWidget* frame = listed ? list->viewport() : window.get();
            const QRect area(widget->mapTo(frame, QPoint(0, 0)), widget->size());
            EXPECT_GE(area.left(), 0) << widget->objectName().toStdString();
            EXPECT_LE(area.right(), frame->rect().right()) << widget->objectName().toStdString();
            if (!listed) {
                EXPECT_TRUE(frame->rect().contains(area)) << widget->objectName().toStdString();
            }
            if (auto* label = qobject_cast<QLabel*>(widget); label && label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                    << label->text().toStdString();
            } else if (label && label->pixmap().isNull()) {
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                          label->contentsRect().width())
                    << label->text().toStdString();
                EXPECT_GE(label->height(), label->fontMetrics().height());
            } else if (qobject_cast<QAbstractButton*>(widget) != nullptr) {
                EXPECT_GE(widget->width(), widget->sizeHint().width())
                    << widget->objectName().toStdString();
                EXPECT_GE(widget->height(), widget->minimumSizeHint().height());
            }
        }
    }
};

TEST_F(SettingsWidgetTest, ShowsTheWindowsTextsAndFitsItsSizeInEveryState) {
    // The application icon, where the desktop has one, takes its place in the header.
    QTemporaryDir icons;
    QPixmap icon(64, 64);
    icon.fill(Qt::darkCyan);
    icon.save(QDir(icons.path()).filePath("tonvera.png"));
    QIcon::setFallbackSearchPaths({icons.path()});
    QIcon::setThemeName(QStringLiteral("hicolor"));
    sourceTexts->translate("Quit", "", "Quit & Close");
    open();

    // The texts that depend on state, the version or a translation (a "&" is no mnemonic).
    EXPECT_EQ(std::tuple(text("permission"), text("permissionHint"), text("version"), text("quit"),
                         text("status")),
              std::tuple("Permission granted", "", "Version 1.2.3", "Quit && Close", ""));
    EXPECT_EQ(std::tuple(shown("appIcon"), shown("deviceList"), shown("reconnectBluetoothOutputs")),
              std::tuple(true, false, false));
    expectNothingCutOff();

    // The fullest state: a status line, long lists with odd names, a ranked Bluetooth output,
    // the permission missing.
    settings->setPriorityOutputs({"Kopfhörer"});
    settings->setFallbackOutputs({"Küche", std::string(120, 'W'), "3", "4", "5", "6"});
    settings->setBluetoothOutputs({{"Kopfhörer", "00:1A:7D:DA:71:13"}});
    SoundMenuScene::build(*menu, {"Küche", "A & B", std::string(120, 'W'), "4", "5", "6"});
    view->startDiscovery();
    settle();
    settings->setDeviceName("Wohnzimmer");
    menu->setTrusted(false);
    view->startConnect();
    QApplication::processEvents();
    EXPECT_EQ(std::tuple(text("status"), text("permission"), text("permissionHint"),
                         window->findChildren<QLabel*>("deviceRow").at(1)->text().toStdString()),
              std::tuple("Connecting to Wohnzimmer…", "Permission missing",
                         "Accessibility permission required", "• A & B"));
    EXPECT_TRUE(shown("reconnectBluetoothOutputs"));
    expectNothingCutOff();
}

TEST_F(SettingsWidgetTest, ControlsFollowTheStateKeystrokesWriteOnceAndPressesReachTheView) {
    settings->setRetryAttempts(2);
    settings->setDeviceName("");
    settings->setBluetoothOutputs({{"BüX&ro", "00:1A:7D:DA:71:13"}});
    open();
    EXPECT_THAT(orchestrator->retryDelays(), ::testing::ElementsAre(0.0, 1.0));
    auto* connect = child<QAbstractButton>("connectNow");
    EXPECT_FALSE(connect->isEnabled());

    auto* field = child<QLineEdit>("deviceName");
    QTest::keyClicks(field, "ro");
    time->advanceBy(0ns);
    EXPECT_TRUE(connect->isEnabled());
    const auto writes = [&] { return defaults->writes().size(); };
    std::size_t before = writes();
    settings->setDeviceName("Büro");  // set elsewhere: shown in the field, not written again
    time->advanceBy(0ns);
    field->setCursorPosition(2);  // the redraw after each keystroke keeps the cursor
    QTest::keyClicks(field, "X&");
    EXPECT_EQ(writes(), before + 3);
    time->advanceBy(0ns);
    EXPECT_EQ(std::pair(settings->deviceName(), field->cursorPosition()),
              std::pair(std::string("BüX&ro"), 4));
    connect->click();
    connect->click();
    auto* find = child<QAbstractButton>("findDevices");
    find->click();
    EXPECT_EQ(std::tuple(connect->isEnabled(), shown("status"), find->isEnabled()),
              std::tuple(false, true, false));

    for (const char* name :
         {"connectOnWake", "connectAtLogin", "launchAtLogin", "connectWhenSpeakerAppears",
          "notifyWhenSpeakerStaysAway", "reconnectBluetoothOutputs"}) {
        EXPECT_TRUE(shown(name)) << name;
        child<SwitchToggle>(name)->click();
    }
    time->advanceBy(0ns);
    EXPECT_FALSE(settings->connectOnWake() || settings->connectAtLogin() ||
                 settings->launchAtLogin() || settings->notifyWhenSpeakerStaysAway() ||
                 settings->reconnectBluetoothOutputs());
    EXPECT_TRUE(settings->connectWhenSpeakerAppears());

    child<QAbstractButton>("checkForUpdates")->click();
    child<QAbstractButton>("openAccessibilitySettings")->click();
    child<QAbstractButton>("quit")->click();
    settle();
    EXPECT_EQ(std::tuple(updateChecks, application->terminations, workspace->opened().empty(),
                         connect->isEnabled(), find->isEnabled()),
              std::tuple(1, 1, false, true, true));

    // A name set elsewhere appears in the field without being written again.
    SoundMenuScene::build(*menu, {"Küche"});
    find->click();
    settle();
    before = writes();
    window->findChildren<QAbstractButton*>("useDevice").at(0)->click();
    time->advanceBy(0ns);
    EXPECT_EQ(std::pair(field->text().toStdString(), writes()),
              std::pair(std::string("Küche"), before + 1));
}

TEST_F(SettingsWidgetTest, TheRankingTakesTypedNamesAndMovesByButtonsAndKeys) {
    settings->setPriorityOutputs({"Kopfhörer"});
    open();
    auto* field = child<QLineEdit>("rankingName");
    for (const char* name : {"Garten", "Bad", "Flur"}) {
        QTest::keyClicks(field, name);
        QTest::keyClick(field, Qt::Key_Return);
    }
    QTest::keyClicks(field, "Bad");
    EXPECT_EQ(child("addToRanking")->toolTip().toStdString(),
              "This output is in the list already.");
    auto* list = child<QListWidget>("rankingList");
    EXPECT_EQ(list->currentRow(), 4);
    EXPECT_FALSE(child("moveDown")->isEnabled());
    // The preferred row: marked, named as typed, passed by by the pointer and the keys.
    QTest::keyClicks(child<QLineEdit>("deviceName"), "X");
    time->advanceBy(0ns);
    EXPECT_EQ(list->item(1)->text().toStdString(), "ArbeitszimmerX — preferred output");
    EXPECT_EQ(list->item(0)->data(Qt::AccessibleTextRole).toString().toStdString(),
              "Kopfhörer, above the preferred output");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(list->currentRow(), 4);
    QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);  // moves Flur
    QTest::keyClick(list, Qt::Key_Up);                   // only selects Garten
    QTest::keyClick(list, Qt::Key_Up);                   // and then Kopfhörer
    EXPECT_EQ(list->currentRow(), 0);
    child<QAbstractButton>("moveDown")->click();  // across the preferred row
    child<QAbstractButton>("moveDown")->click();
    EXPECT_THAT(settings->priorityOutputs(), ::testing::IsEmpty());
    EXPECT_THAT(settings->fallbackOutputs(),
                ::testing::ElementsAre("Garten", "Kopfhörer", "Flur", "Bad"));
    QTest::keyClick(list, Qt::Key_Delete);
    QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);  // Flur, across the preferred row
    QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
    EXPECT_FALSE(child("moveUp")->isEnabled());
    child<QAbstractButton>("removeFromRanking")->click();
    EXPECT_THAT(settings->priorityOutputs(), ::testing::IsEmpty());
    EXPECT_THAT(settings->fallbackOutputs(), ::testing::ElementsAre("Garten", "Bad"));
    EXPECT_EQ(list->count(), 3);
}

}  // namespace
}  // namespace tonvera::testing
