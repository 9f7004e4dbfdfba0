#pragma once

#include <functional>
#include <memory>

#include "platform/main_queue.h"
#include "settings/app_settings.h"
#include "settings/subscription.h"

namespace tonvera {

// The settings announce a change before they store it, so a view that shows them redraws one
// main-queue hop later, when the new values can be read; the changes of one turn share that
// one redraw. Main thread only, like the settings themselves. The redraw stops with the
// returned subscription, except for one already on its way, so `redraw` must hold its view
// weakly.
Subscription redrawAfterSettingsChange(AppSettings& settings, std::shared_ptr<MainQueue> mainQueue,
                                       std::function<void()> redraw);

}  // namespace tonvera
