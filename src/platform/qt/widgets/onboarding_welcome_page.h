#pragma once

#include <QLabel>
#include <QWidget>
#include <array>

namespace tonvera {

class OnboardingView;
class RoundedCard;
class SwitchToggle;
class SymbolBadge;

// The first onboarding page: what the application does and when it reconnects.
class OnboardingWelcomePage final : public QWidget {
    Q_OBJECT

  public:
    explicit OnboardingWelcomePage(OnboardingView& view, QWidget* parent = nullptr);

    void render(const OnboardingView& view);

  private:
    struct Feature {
        SymbolBadge* symbol = nullptr;
        QLabel* title = nullptr;
        QLabel* description = nullptr;
    };

    QLabel* tile_ = nullptr;
    QLabel* appName_ = nullptr;
    QLabel* tagline_ = nullptr;
    QLabel* introduction_ = nullptr;
    std::array<Feature, 3> features_{};
    RoundedCard* reconnectCard_ = nullptr;
    QLabel* reconnectHeading_ = nullptr;
    SwitchToggle* connectOnWake_ = nullptr;
    SwitchToggle* connectAtLogin_ = nullptr;
    RoundedCard* compatibilityCard_ = nullptr;
    SymbolBadge* compatibilitySymbol_ = nullptr;
    QLabel* compatibility_ = nullptr;
};

}  // namespace tonvera
