#include "platform/qt/widgets/onboarding_widget.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <memory>

#include <gtest/gtest.h>

#include "platform/qt/widgets/pill_button.h"
#include "platform/qt/widgets/switch_toggle.h"
#include "platform/testing/sound_menu_scene.h"
#include "support/view_harness.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;

struct OnboardingWidgetTest : ::testing::Test, OnboardingHarness {
    std::shared_ptr<OnboardingView> view;
    std::unique_ptr<QWidget> widget;

    void open(const OnboardingWidgetOptions& options = {}) {
        // Finishing closes and drops the window at once, as the application does.
        view = OnboardingView::create(
            settings, orchestrator,
            [this] {
                ++finishCalls;
                widget.reset();
            },
            services());
        widget = makeOnboardingWidget(view, options);
        widget->show();
        QApplication::setActiveWindow(widget.get());
    }

    template <typename T = QWidget>
    T& child(const char* name) const {
        auto* found = widget->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }

    bool shown(const char* name) const { return child(name).isVisibleTo(widget.get()); }
    void press(Qt::Key key) const {
        QTest::keyClick(widget.get(), key);
        QCoreApplication::processEvents();
    }
};

TEST_F(OnboardingWidgetTest, KeysFollowTheButtonsAndTheWelcomeSwitchesWriteAtOnce) {
    menu->setTrusted(false);
    open();
    EXPECT_EQ(std::pair(shown("welcomePage"), shown("back")), std::pair(true, false));
    press(Qt::Key_Escape);
    EXPECT_EQ(view->currentStep(), 0);

    auto& wake = child<SwitchToggle>("connectOnWake");
    EXPECT_TRUE(wake.isChecked());
    wake.click();
    EXPECT_FALSE(settings->connectOnWake());
    time->advanceBy(0s);
    EXPECT_FALSE(wake.isChecked());

    press(Qt::Key_Return);
    ASSERT_EQ(view->currentStep(), 1);
    EXPECT_EQ(std::tuple(shown("permissionPage"), shown("permissionInstructions"),
                         shown("checkPermissionAgain"), shown("permissionDetected"),
                         child("continue").isEnabled()),
              std::tuple(true, true, true, false, false));

    menu->setTrusted(true);
    time->advanceBy(1s);
    EXPECT_EQ(std::tuple(shown("permissionInstructions"), shown("checkPermissionAgain"),
                         shown("permissionDetected"), shown("openAccessibilitySettings")),
              std::tuple(false, false, true, true));
    press(Qt::Key_Escape);
    EXPECT_EQ(view->currentStep(), 0);

    widget->hide();
    EXPECT_FALSE(view->isPolling());
}

TEST_F(OnboardingWidgetTest, TheSpeakerPageShowsItsStateAndNamesLiterally) {
    menu->addApplication(hostApplication("ControlCenter", 300));  // no Sound item
    launcher->answer = [] { return exited(0, "Tom & Jerry, <b>Küche</b>\n"); };
    const QTemporaryDir pictures;
    const QString picture = pictures.filePath(QStringLiteral("picture.svg"));
    open({.picturePath = picture});
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    settle();
    // No image, no picture block.
    EXPECT_EQ(std::tuple(shown("soundMenuMissing"), shown("soundMenuFound"),
                         shown("openControlCenter"), shown("soundMenuPicture")),
              std::tuple(true, false, true, false));
    QFile file(picture);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="20"/>)");
    file.close();

    // Typing in the middle of the name: the redraw keeps the cursor where it was (and looks
    // for the picture again).
    auto& name = child<QLineEdit>("deviceName");
    name.setCursorPosition(1);
    QTest::keyClick(&name, Qt::Key_X);
    time->advanceBy(0s);
    EXPECT_EQ(std::tuple(settings->deviceName(), name.cursorPosition(), shown("soundMenuPicture")),
              std::tuple("Axrbeitszimmer", 2, true));
    name.selectAll();
    QTest::keyClicks(&name, "  ");
    time->advanceBy(0s);
    EXPECT_FALSE(child("done").isEnabled() || child("testConnection").isEnabled());

    child<PillButton>("searchDevices").click();
    EXPECT_FALSE(child("searchDevices").isEnabled());
    settle();
    QStringList names;
    for (const auto* label : child("foundOutputs").findChildren<QLabel*>()) {
        if (label->textInteractionFlags() & Qt::TextSelectableByMouse) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
            names << label->text();
        }
    }
    EXPECT_EQ(names, QStringList({"Tom & Jerry", "<b>Küche</b>"}));
    child("foundOutputs").findChild<PillButton*>("applyDevice")->click();
    time->advanceBy(0s);
    EXPECT_EQ(std::pair(settings->deviceName(), name.text()),
              std::pair(std::string("Tom & Jerry"), QString("Tom & Jerry")));
    press(Qt::Key_Return);
    EXPECT_EQ(std::tuple(settings->hasCompletedOnboarding(), finishCalls, widget == nullptr),
              std::tuple(true, 1, true));
}

// On a Linux desktop (the readiness in place of the permission) the last page holds five found
// outputs without scrolling, and shows no picture of another system's menu bar.
TEST_F(OnboardingWidgetTest, TheOutputPageFitsFiveFoundOutputsWithoutScrolling) {
    readiness = std::make_shared<ScriptedDesktopReadiness>();
    SoundMenuScene::build(*menu, {"Wohnzimmer", "Büro", "Küche", "Bluetooth-Box", "USB Audio"});
    open();
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    child<PillButton>("searchDevices").click();
    settle();
    view->chooseDevice("Büro");
    time->advanceBy(0s);
    // The page gets all the height it asks for: nothing squeezed, nothing to scroll.
    auto& scroll = child<QScrollArea>("pageScrollArea");
    EXPECT_LE(scroll.widget()->sizeHint().height(), scroll.viewport()->height());
    EXPECT_EQ(child("foundOutputs").findChildren<PillButton*>("applyDevice").size(), 5U);
    EXPECT_FALSE(shown("soundMenuPicture"));
}

}  // namespace
}  // namespace tonvera::testing
