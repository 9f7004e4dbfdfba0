#pragma once

#include <QLabel>
#include <QWidget>
#include <array>

namespace tonvera {

class OnboardingView;
class PillButton;
class RoundedCard;
class StatusMark;
class SymbolBadge;

// The second onboarding page where no permission can be missing: each part of the desktop
// Tonvera relies on, with its state and, where the person can act, what to do.
class OnboardingReadinessPage final : public QWidget {
    Q_OBJECT

  public:
    explicit OnboardingReadinessPage(OnboardingView& view, QWidget* parent = nullptr);

    void render(const OnboardingView& view);

  private:
    struct Part {
        RoundedCard* card = nullptr;
        StatusMark* mark = nullptr;
        QLabel* title = nullptr;
        QLabel* state = nullptr;
    };

    QLabel* title_ = nullptr;
    QLabel* introduction_ = nullptr;
    std::array<Part, 3> parts_{};
    PillButton* openSoundSettings_ = nullptr;
    PillButton* checkAgain_ = nullptr;
    SymbolBadge* summarySymbol_ = nullptr;
    QLabel* summary_ = nullptr;
};

}  // namespace tonvera
