#pragma once

#include <memory>
#include <string>

#include "platform/application.h"
#include "platform/clock.h"
#include "platform/desktop_readiness.h"
#include "platform/localizer.h"
#include "platform/logger.h"
#include "platform/main_queue.h"
#include "platform/task_runner.h"
#include "selection/selector_factory.h"

namespace tonvera {

// What every window's view state needs besides the settings and the orchestrator: the main
// queue and clock that all its waits go through, the pool its blocking work runs on, fresh
// selectors for discovery, texts in the user's language, and the application itself.
struct ViewServices {
    std::shared_ptr<MainQueue> mainQueue;
    std::shared_ptr<Clock> clock;
    std::shared_ptr<TaskRunner> tasks;
    SelectorFactory selectors;
    std::shared_ptr<Localizer> localizer;
    std::shared_ptr<Application> application;
    std::shared_ptr<LogSink> logSink;
    // The installed version as users see it ("?" when the build carries none).
    std::string currentVersion;
    // Where no permission can be missing (Linux), the windows show what the desktop offers
    // instead of the permission; null keeps the permission flow.
    std::shared_ptr<DesktopReadiness> readiness;
};

}  // namespace tonvera
