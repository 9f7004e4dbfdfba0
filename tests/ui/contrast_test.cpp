// Measures the drawn windows in the light and the dark scheme: every enabled text reaches 4.5:1
// against the background it is drawn on, every control's edge 3:1 (WCAG AA), also a text field's
// with and without the focus, and every target a pointer can press is 24 × 24 px at least (WCAG
// 2.2, 2.5.8; scroll bars excepted: wheel and keys scroll as well).
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>

#include <gtest/gtest.h>

#include "platform/qt/widgets/labelled_button.h"
#include "platform/qt/widgets/onboarding_widget.h"
#include "platform/qt/widgets/palette.h"
#include "platform/qt/widgets/settings_widget.h"
#include "platform/qt/widgets/switch_toggle.h"
#include "support/dark_palette.h"
#include "support/view_harness.h"

namespace tonvera::testing {
namespace {

double luminance(QRgb color) {
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(color)) + 0.7152 * channel(qGreen(color)) +
           0.0722 * channel(qBlue(color));
}

double contrast(QRgb a, QRgb b) {
    const auto [darker, lighter] = std::minmax({luminance(a), luminance(b)});  // by value
    return (lighter + 0.05) / (darker + 0.05);
}

// The background is the most frequent colour of an area; the text or edge drawn on it is its
// strongest pixel (glyph stems and outlines reach their full colour).
QRgb dominant(const QImage& image, const QRect& area) {
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            ++counts[image.pixel(x, y) | 0xFF000000U];
        }
    }
    return std::ranges::max_element(counts, {}, &std::pair<const QRgb, int>::second)->first;
}

double strongest(const QImage& image, const QRegion& region, QRgb background) {
    double best = 1.0;
    for (const QRect& area : region) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                best = std::max(best, contrast(image.pixel(x, y), background));
            }
        }
    }
    return best;
}

// Every shortfall in `window`, named by widget and text; `focused` alone is measured with
// the keyboard focus, everything else without.
std::vector<std::string> shortfalls(QWidget& window, QWidget* focused = nullptr) {
    QApplication::setActiveWindow(&window);
    if (focused != nullptr) {
        focused->setFocus();
    } else if (QApplication::focusWidget() != nullptr) {
        QApplication::focusWidget()->clearFocus();
    }
    QApplication::processEvents();
    const QImage image = window.grab().toImage();
    std::vector<std::string> found;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        QRect area = widget->visibleRegion().boundingRect();
        area.moveTopLeft(widget->mapTo(&window, area.topLeft()));
        area &= image.rect();
        const auto note = [&](const char* what, double ratio, double needed) {
            if (ratio < needed) {
                found.push_back(widget->objectName().toStdString() + " " +
                                widget->property("text").toString().toStdString() + ": " + what +
                                " " + std::to_string(ratio));
            }
        };
        if (!widget->isVisibleTo(&window) || (focused != nullptr && widget != focused)) {
            continue;
        }
        if (widget->focusPolicy() != Qt::NoFocus && qobject_cast<QLabel*>(widget) == nullptr &&
            !widget->inherits("QScrollBar")) {
            note("target", std::min(widget->width(), widget->height()), metrics::kMinTarget);
        }
        if (const auto* list = qobject_cast<QListWidget*>(widget); list && list->count() > 0) {
            note("row", list->visualItemRect(list->item(0)).height(), metrics::kMinTarget);
        }
        if (!widget->isEnabled() || area.width() < 6 || area.height() < 6) {
            continue;
        }
        const auto* label = qobject_cast<QLabel*>(widget);
        // A field's text or its placeholder, and a button's, are texts on a control.
        const bool control = dynamic_cast<LabelledButton*>(widget) != nullptr ||
                             qobject_cast<QLineEdit*>(widget) != nullptr;
        if (control || (label != nullptr && !label->text().isEmpty() && label->pixmap().isNull())) {
            note("text", strongest(image, area, dominant(image, area)), 4.5);
        }
        if (control || qobject_cast<QListWidget*>(widget) != nullptr) {
            // A switch's control is its track at the right end; a button or a field is its box.
            QRect box = area;
            if (qobject_cast<SwitchToggle*>(widget) != nullptr) {
                box.setLeft(box.right() - 36);
            }
            const QRect outside = box.adjusted(-2, -2, 2, 2) & image.rect();
            const QRgb around = dominant(image, outside.adjusted(0, 0, 0, -outside.height() + 2));
            note("edge",
                 strongest(image, QRegion(box) - QRegion(box.adjusted(2, 2, -2, -2)), around), 3.0);
        }
    }
    for (QLineEdit* field : window.findChildren<QLineEdit*>()) {
        if (focused == nullptr && field->isVisibleTo(&window)) {
            std::ranges::copy(shortfalls(window, field), std::back_inserter(found));
        }
    }
    return found;
}

class ContrastTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(GetParam() ? darkPalette()
                                            : QApplication::style()->standardPalette());
    }
    void TearDown() override { QApplication::setPalette(QApplication::style()->standardPalette()); }
};

TEST_P(ContrastTest, EveryTextAndControlReadsAndEveryTargetIsLargeEnoughInTheSettingsWindow) {
    SettingsViewHarness harness;
    harness.readiness = std::make_shared<ScriptedDesktopReadiness>();
    harness.readiness->systemBus = false;  // the badge in its warning colour
    SoundMenuScene::build(*harness.menu, {"Wohnzimmer", "Küche"});
    harness.settings->setDeviceName("Wohnzimmer");
    harness.settings->setPriorityOutputs({"Kopfhörer"});
    harness.settings->setFallbackOutputs({"Küche", "Bluetooth-Box"});
    harness.settings->setBluetoothOutputs({{"Bluetooth-Box", "00:1A:7D:DA:71:13"}});
    const auto view = harness.makeView(harness.orchestrator);
    const auto window = makeSettingsWidget(view);
    window->resize(SettingsView::windowOptions().contentWidth,
                   SettingsView::windowOptions().contentHeight);
    window->show();
    EXPECT_EQ(shortfalls(*window), std::vector<std::string>{});
    view->startDiscovery();
    harness.settle();
    view->startConnect();
    view->selectRankingRow(2);
    EXPECT_EQ(shortfalls(*window), std::vector<std::string>{});
}

TEST_P(ContrastTest, EveryTextAndControlReadsAndEveryTargetIsLargeEnoughInTheOnboardingWindow) {
    OnboardingHarness harness;
    harness.readiness = std::make_shared<ScriptedDesktopReadiness>();
    harness.readiness->soundServer = false;
    harness.menu->addApplication(hostApplication("ControlCenter", 300));  // no Sound item
    const auto view = harness.makeView();
    const auto window = makeOnboardingWidget(view);
    window->show();
    for (int step = 0; step < 3; ++step) {
        harness.settle();
        EXPECT_EQ(shortfalls(*window), std::vector<std::string>{}) << "step " << step;
        view->nextStep();
    }
    // Outputs found (by the script route) and one chosen.
    harness.launcher->answer = [] { return exited(0, "Wohnzimmer, Küche\n"); };
    view->startDiscovery();
    harness.settle();
    view->chooseDevice("Küche");
    harness.settle();
    EXPECT_EQ(shortfalls(*window), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, ContrastTest, ::testing::Bool(),
                         [](const auto& test) { return test.param ? "Dark" : "Light"; });

}  // namespace
}  // namespace tonvera::testing
