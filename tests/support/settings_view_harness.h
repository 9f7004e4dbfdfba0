#pragma once

#include "support/view_harness.h"
#include "ui/settings_view.h"

namespace tonvera::testing {

struct SettingsViewHarness : ViewHarness {
    std::shared_ptr<SettingsView> makeView(std::shared_ptr<ReconnectOrchestrator> target) {
        return SettingsView::create(
            settings, std::move(target), [this] { ++updateChecks; }, services());
    }
};

}  // namespace tonvera::testing
