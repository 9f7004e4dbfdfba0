#pragma once

#include <atomic>

#include "platform/desktop_readiness.h"

namespace tonvera::testing {

// A desktop whose tray, sound server and system bus a test switches on and off at any moment;
// it counts the looks taken at it.
class ScriptedDesktopReadiness final : public DesktopReadiness {
  public:
    std::atomic<bool> trayHost{true};
    std::atomic<bool> soundServer{true};
    std::atomic<bool> systemBus{true};
    std::atomic<int> looks{0};

    bool trayHostPresent() override {
        ++looks;
        return trayHost.load();
    }
    bool soundServerAnswers() override { return soundServer.load(); }
    bool systemBusReachable() override { return systemBus.load(); }
};

}  // namespace tonvera::testing
