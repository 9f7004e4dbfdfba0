#pragma once

#include <QLabel>
#include <QWidget>
#include <array>

namespace tonvera {

class OnboardingView;
class PillButton;
class RoundedCard;
class StatusDot;
class SymbolBadge;

// The second onboarding page: whether the accessibility permission is granted, and the way
// to the place where it is given.
class OnboardingPermissionPage final : public QWidget {
    Q_OBJECT

  public:
    explicit OnboardingPermissionPage(OnboardingView& view, QWidget* parent = nullptr);

    void render(const OnboardingView& view);

  private:
    QLabel* title_ = nullptr;
    QLabel* introduction_ = nullptr;
    RoundedCard* statusCard_ = nullptr;
    SymbolBadge* statusIcon_ = nullptr;
    QLabel* statusTitle_ = nullptr;
    QLabel* statusExplanation_ = nullptr;
    StatusDot* statusDot_ = nullptr;
    RoundedCard* instructions_ = nullptr;
    QLabel* instructionsHeading_ = nullptr;
    std::array<SymbolBadge*, 3> stepSymbols_{};
    std::array<QLabel*, 3> stepTexts_{};
    PillButton* openSettings_ = nullptr;
    PillButton* checkAgain_ = nullptr;
    QWidget* detected_ = nullptr;
    SymbolBadge* detectedSymbol_ = nullptr;
    QLabel* detectedText_ = nullptr;
};

}  // namespace tonvera
