#pragma once

#include <string>

#include "platform/localizer.h"

namespace tonvera {

// Every fixed label of the Settings window, looked up once in the user's language when the
// window opens. Those with "%@" take a name.
struct SettingsTexts {
    std::string appName;
    std::string tagline;
    std::string deviceHeading;
    std::string devicePlaceholder;
    std::string connectNow;
    std::string connectOnWake;
    std::string connectAtLogin;
    std::string launchAtLogin;
    std::string connectWhenSpeakerAppears;
    std::string keepSoundFromNewOutputs;
    std::string notifyWhenSpeakerStaysAway;
    std::string reconnectBluetoothOutputs;

    // The ranking: its heading and what the order means, the list and its controls.
    std::string rankingHeading;
    std::string rankingExplanation;
    std::string rankingListName;
    std::string rankingPlaceholder;
    std::string addToRanking;
    std::string removeFromRanking;
    std::string moveUp;
    std::string moveDown;
    std::string preferredRow;
    std::string preferredRowUnnamed;
    std::string rowAbove;
    std::string rowBelow;
    // Why the typed name cannot be added.
    std::string refusedPreferred;
    std::string refusedRepeated;
    std::string refusedFull;

    std::string findDevices;
    std::string availableOutputs;
    std::string use;
    std::string checkForUpdates;
    std::string openAccessibilitySettings;
    std::string quit;

    static SettingsTexts load(const Localizer& localizer);
};

}  // namespace tonvera
