#include "ui/settings_redraw.h"

#include <utility>

namespace tonvera {

Subscription redrawAfterSettingsChange(AppSettings& settings, std::shared_ptr<MainQueue> mainQueue,
                                       std::function<void()> redraw) {
    auto pending = std::make_shared<bool>(false);
    return settings.observeWillChange(
        [mainQueue = std::move(mainQueue), pending, redraw = std::move(redraw)] {
            if (*pending) {
                return;
            }
            *pending = true;
            mainQueue->post([pending, redraw] {
                *pending = false;
                redraw();
            });
        });
}

}  // namespace tonvera
