#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/onboarding_harness.h"

namespace tonvera::testing {

// One state of the onboarding window worth a picture: how to set up its surroundings before
// the window opens, and what to do in the open window.
struct OnboardingScene {
    std::string name;
    std::function<void(OnboardingHarness&)> prepare;
    std::function<void(OnboardingHarness&, OnboardingView&)> play;
    // Also take a picture with the page scrolled to its end.
    bool alsoScrolled = false;
};

std::vector<OnboardingScene> onboardingScenes();

}  // namespace tonvera::testing
