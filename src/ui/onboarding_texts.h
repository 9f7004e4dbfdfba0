#pragma once

#include <string>

#include "platform/localizer.h"

namespace tonvera {

// Every fixed label of the onboarding window, looked up once in the user's language when the
// window opens.
struct OnboardingTexts {
    // Frame: step labels and the button bar.
    std::string stepWelcome;
    std::string stepPermissions;
    std::string stepSpeaker;
    std::string back;
    std::string continueLabel;
    std::string done;

    // Welcome page.
    std::string appName;
    std::string tagline;
    std::string introduction;
    std::string afterSleepTitle;
    std::string afterSleepDescription;
    std::string atLoginTitle;
    std::string atLoginDescription;
    std::string backgroundTitle;
    std::string backgroundDescription;
    std::string reconnectHeading;
    std::string connectOnWake;
    std::string connectAtLogin;
    std::string compatibility;

    // Permission page.
    std::string permissionTitle;
    std::string permissionIntroduction;
    std::string permissionGranted;
    std::string permissionGrantedExplanation;
    std::string permissionMissing;
    std::string permissionMissingExplanation;
    std::string howToEnable;
    std::string howToStep1;
    std::string howToStep2;
    std::string howToStep3;
    std::string openAccessibilitySettings;
    std::string checkAgain;
    std::string detectedAutomatically;

    // Speaker page.
    std::string speakerTitle;
    std::string speakerIntroduction;
    std::string soundIconHeading;
    std::string soundIconFound;
    std::string soundIconMissing;
    std::string soundIconPath;
    std::string pictureCaption;
    std::string openControlCenter;
    std::string speakerName;
    std::string namePlaceholder;
    std::string test;
    std::string nameHint;
    std::string search;
    std::string permissionRequired;
    std::string tip;
    std::string foundOutputs;
    std::string apply;
    std::string closingNote;

    static OnboardingTexts load(const Localizer& localizer);
};

// The onboarding window's title.
inline LocalizedText onboardingWindowTitle() {
    return TONVERA_TRANSLATE("Tonvera", "Tonvera — Welcome", "Onboarding window title");
}

}  // namespace tonvera
