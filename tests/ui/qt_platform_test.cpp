#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/qt/qt_alerts.h"
#include "platform/qt/qt_main_queue.h"
#include "platform/qt/qt_status_item.h"
#include "platform/qt/qt_window_host.h"
#include "platform/qt/tray_host_watcher.h"
#include "platform/qt/tray_menu_position.h"
#include "platform/testing/memory_log_sink.h"
#include "platform/testing/source_localizer.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;

// Runs Qt's event loop until `done` holds or `limit` has passed.
template <typename Condition>
bool runUntil(Condition done, std::chrono::milliseconds limit = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

TEST(QtMainQueueTest, RunsBlocksFromAnyThreadInOrderAndNothingAfterStop) {
    auto queue = std::make_shared<QtMainQueue>(std::make_shared<MemoryLogSink>());
    std::vector<int> ran;
    std::vector<std::jthread> posters;
    posters.reserve(4);
    for (int thread = 0; thread < 4; ++thread) {
        posters.emplace_back([&, thread] {
            for (int i = 0; i < 50; ++i) {
                queue->post([&ran, value = thread * 100 + i] { ran.push_back(value); });
            }
        });
    }
    posters.clear();  // joins them
    queue->postAfter(30ms, [&ran] { ran.push_back(-1); });
    queue->post([] { throw std::runtime_error("a failing block does not stop the queue"); });
    ASSERT_TRUE(runUntil([&] { return ran.size() == 201; }));
    EXPECT_EQ(ran.back(), -1);
    std::vector<int> next(4, 0);  // each thread's blocks run in the order it posted them
    for (const int value : ran) {
        if (value >= 0) {
            EXPECT_EQ(value % 100, next[value / 100]++);
        }
    }

    queue->postAfter(20ms, [&ran] { ran.push_back(-2); });
    queue->post([&ran] { ran.push_back(-3); });
    queue->stop();
    queue->post([&ran] { ran.push_back(-4); });
    runUntil([] { return false; }, 100ms);
    EXPECT_EQ(ran.size(), 201U);
}

// Presses the button titled `title` of the next modal alert, or closes it with Escape.
void answerNextAlert(const QString& title) {
    QTimer::singleShot(0, [title] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (title.isEmpty()) {
            box->reject();
            return;
        }
        for (auto* button : box->buttons()) {
            if (button->isVisible() && button->text() == title) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << title.toStdString();
    });
}

TEST(QtAlertsTest, AnswersByPositionShowsTextLiterallyAndEscapeMeansNoButton) {
    QtAlerts alerts(std::make_shared<SourceLocalizer>());
    const AlertContent picker{.messageText = "AirPlay devices found",
                              .informativeText = "<b>Bad</b> & Küche",
                              .style = AlertStyle::informational,
                              .buttons = {"Bad & Küche", "Wohnzimmer", "Cancel"}};
    answerNextAlert(QStringLiteral("Wohnzimmer"));
    EXPECT_EQ(alerts.runModal(picker), kAlertFirstButtonReturn + 1);

    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        const auto* informative = box->findChild<QLabel*>("qt_msgbox_informativelabel");
        ASSERT_NE(informative, nullptr);
        EXPECT_EQ(informative->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->buttons().size(), 4);  // three and the hidden one Escape presses
    });
    answerNextAlert(QStringLiteral("Bad && Küche"));
    EXPECT_EQ(alerts.runModal(picker), kAlertFirstButtonReturn);

    answerNextAlert({});
    EXPECT_EQ(alerts.runModal(picker), kAlertDismissed);
    answerNextAlert(QStringLiteral("OK"));  // no buttons given: the standard single OK
    EXPECT_EQ(alerts.runModal(AlertContent{.messageText = "No AirPlay devices found"}),
              kAlertFirstButtonReturn);
}

TEST(QtWindowHostTest, WindowsHaveTheirSizeAndStyleAndCloseOnceReleasingTheirContent) {
    QtWindowHost host{QIcon()};
    auto content = std::make_shared<WindowContent>();
    const std::weak_ptr<WindowContent> released = content;
    auto window = host.makeWindow(WindowOptions{.title = "Tonvera",
                                                .closable = true,
                                                .miniaturizable = true,
                                                .contentWidth = 460,
                                                .contentHeight = 380},
                                  std::move(content));
    EXPECT_FALSE(window->isVisible());
    int closings = 0;
    window->setWillCloseHandler([&closings] { ++closings; });
    window->makeKeyAndOrderFront();
    ASSERT_TRUE(window->isVisible());
    const auto tops = QApplication::topLevelWidgets();
    const auto widget = std::ranges::find_if(
        tops, [](QWidget* top) { return top->windowTitle() == "Tonvera" && top->isVisible(); });
    ASSERT_NE(widget, tops.end());
    const QWidget& shown = **widget;
    EXPECT_EQ(std::tuple(shown.size(), shown.minimumSize(), shown.maximumSize(),
                         shown.windowFlags().testFlag(Qt::WindowMinimizeButtonHint),
                         shown.windowFlags().testFlag(Qt::WindowMaximizeButtonHint)),
              std::tuple(QSize(460, 380), QSize(460, 380), QSize(460, 380), true, false));

    window->close();
    window->close();
    EXPECT_EQ(std::pair(closings, window->isVisible()), std::pair(1, false));
    EXPECT_TRUE(runUntil([&] { return released.expired(); }));
}

// Qt draws its own menu unless a StatusNotifier host was registered when the first icon was
// made; that choice holds for the process, so the spelling follows it.
TEST(TrayHostWatcherTest, ShowsTheItemOnlyWhereAPanelHostsItLooksForOneAndSpellsForQtsChoice) {
    const auto firstEntry = [](const QtStatusItem& item) {
        return item.trayIcon()->contextMenu()->actions().at(0)->text();
    };
    for (const bool xembedTray : {false, true}) {
        auto item = std::make_shared<QtStatusItem>();
        item->setMenu({MenuItemModel{.title = "Wohn_zimmer", .enabled = true}});
        TrayHostWatcher watcher(item, Logger(std::make_shared<MemoryLogSink>(), "t", "Tray"),
                                [&] { return xembedTray; });
        watcher.hostChanged(StatusNotifierHost::busSilent);
        EXPECT_EQ(item->trayIcon(), nullptr);
        watcher.hostChanged(StatusNotifierHost::withoutHost);
        ASSERT_EQ(item->trayIcon() != nullptr, xembedTray);
        watcher.hostChanged(StatusNotifierHost::present);
        const QSystemTrayIcon* shown = item->trayIcon();
        EXPECT_EQ(firstEntry(*item), xembedTray ? "Wohn_zimmer" : "Wohn__zimmer");
        // A panel that restarts gets a fresh icon, unless Qt settled on XEmbed.
        watcher.hostChanged(StatusNotifierHost::absent);
        watcher.hostChanged(StatusNotifierHost::present);
        EXPECT_EQ(item->trayIcon() == shown, xembedTray);
        EXPECT_EQ(firstEntry(*item), xembedTray ? "Wohn_zimmer" : "Wohn__zimmer");
    }
    // Without a host it looks for an XEmbed tray soon at first, then about once a minute.
    std::vector<std::chrono::milliseconds> waits{0ms};
    while (waits.size() < 9) {
        waits.push_back(TrayHostWatcher::nextXEmbedLook(waits.back()));
    }
    EXPECT_EQ(waits,
              (std::vector<std::chrono::milliseconds>{0s, 2s, 4s, 8s, 16s, 32s, 64s, 64s, 64s}));
}

// A panel along the top, the bottom, the left and the right; the menu stays on the screen.
TEST(TrayMenuPositionTest, OpensBesideThePanelAtTheIconNeverOverIt) {
    const QRect screen(0, 0, 1280, 800);
    const QSize menu(280, 300);
    EXPECT_EQ(besidePanel({0, 0, 1280, 32}, {1264, 16}, menu, screen), QPoint(1000, 32));
    EXPECT_EQ(besidePanel({0, 768, 1280, 32}, {600, 780}, menu, screen), QPoint(460, 468));
    EXPECT_EQ(besidePanel({0, 0, 40, 800}, {20, 400}, menu, screen), QPoint(40, 250));
    EXPECT_EQ(besidePanel({1240, 0, 40, 800}, {1260, 790}, menu, screen), QPoint(960, 500));
}

}  // namespace
}  // namespace tonvera::testing

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
