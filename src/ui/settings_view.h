#pragma once
// Placeholder until the Settings window lands: the same factory as the real view.
#include <functional>
#include <memory>

#include "platform/window_host.h"
#include "reconnect/reconnect_orchestrator.h"
#include "settings/app_settings.h"
#include "ui/view_services.h"

namespace tonvera {

class SettingsView final : public WindowContent {
  public:
    static std::shared_ptr<SettingsView> create(std::shared_ptr<AppSettings> /*settings*/,
                                                std::shared_ptr<ReconnectOrchestrator> /*orch*/,
                                                std::function<void()> /*onCheckUpdates*/,
                                                ViewServices /*services*/) {
        return std::make_shared<SettingsView>();
    }
    static WindowSpec windowSpec() {
        return WindowSpec{.title = "Tonvera",
                          .closable = true,
                          .miniaturizable = true,
                          .resizable = false,
                          .contentWidth = 460,
                          .contentHeight = 380};
    }
};

}  // namespace tonvera
