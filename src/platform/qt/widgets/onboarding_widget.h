#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "settings/subscription.h"

class QScrollArea;
class QShortcut;

namespace tonvera {

class OnboardingView;
class OnboardingWelcomePage;
class OnboardingPermissionPage;
class OnboardingReadinessPage;
class OnboardingSpeakerPage;
class PillButton;
class StepIndicator;

struct OnboardingWidgetOptions {
    // The illustration of the "always show" setting on the speaker page.
    QString picturePath = QStringLiteral(":/images/immeranzeigen-ton.svg");
};

// The onboarding window's content: the step indicator, the scrollable page of the current
// step and the button bar. It draws the view's state after every change and forwards presses
// and keys to it; the rules live in the view.
class OnboardingWidget final : public QWidget {
    Q_OBJECT

  public:
    OnboardingWidget(std::shared_ptr<OnboardingView> view, const OnboardingWidgetOptions& options,
                     QWidget* parent = nullptr);
    ~OnboardingWidget() override;

    OnboardingWidget(const OnboardingWidget&) = delete;
    OnboardingWidget& operator=(const OnboardingWidget&) = delete;

    void render();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    QWidget* makeDivider();
    QWidget* makeButtonBar();
    void pressBack();
    void pressPrimary();

    std::shared_ptr<OnboardingView> view_;
    StepIndicator* stepIndicator_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    OnboardingWelcomePage* welcomePage_ = nullptr;
    OnboardingPermissionPage* permissionPage_ = nullptr;
    OnboardingReadinessPage* readinessPage_ = nullptr;
    OnboardingSpeakerPage* speakerPage_ = nullptr;
    QWidget* buttonBar_ = nullptr;
    PillButton* back_ = nullptr;
    PillButton* continue_ = nullptr;
    PillButton* done_ = nullptr;
    std::int64_t shownStep_ = -1;
    QString scrollBarStyle_;
    Subscription changes_;
};

std::unique_ptr<QWidget> makeOnboardingWidget(std::shared_ptr<OnboardingView> view);
std::unique_ptr<QWidget> makeOnboardingWidget(std::shared_ptr<OnboardingView> view,
                                              const OnboardingWidgetOptions& options);

}  // namespace tonvera
