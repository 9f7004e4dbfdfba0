#pragma once

#include "support/view_harness.h"
#include "ui/onboarding_view.h"

namespace tonvera::testing {

struct OnboardingHarness : ViewHarness {
    std::shared_ptr<OnboardingView> makeView() {
        return OnboardingView::create(
            settings, orchestrator, [this] { ++finishCalls; }, services());
    }
};

}  // namespace tonvera::testing
