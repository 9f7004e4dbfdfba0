#pragma once
// Placeholder until the onboarding window lands: the same factory as the real view.
#include <functional>
#include <memory>

#include "platform/localizer.h"
#include "platform/window_host.h"
#include "reconnect/reconnect_orchestrator.h"
#include "settings/app_settings.h"
#include "ui/view_services.h"

namespace tonvera {

class OnboardingView final : public WindowContent {
  public:
    static std::shared_ptr<OnboardingView> create(std::shared_ptr<AppSettings> /*settings*/,
                                                  std::shared_ptr<ReconnectOrchestrator> /*o*/,
                                                  std::function<void()> /*onFinish*/,
                                                  ViewServices /*services*/) {
        return std::make_shared<OnboardingView>();
    }
    static WindowSpec windowSpec(const Localizer& localizer) {
        return WindowSpec{.title = localizer.localized(TONVERA_TRANSLATE(
                              "Tonvera", "Tonvera — Welcome", "Onboarding window title")),
                          .closable = true,
                          .miniaturizable = false,
                          .resizable = false,
                          .contentWidth = 560,
                          .contentHeight = 540};
    }
};

}  // namespace tonvera
