#include "ui/onboarding_texts.h"

namespace tonvera {

OnboardingTexts OnboardingTexts::load(const Localizer& localizer) {
    const auto text = [&localizer](const LocalizedText& source) {
        return localizer.localized(source);
    };
    OnboardingTexts t;
    t.stepWelcome = text(TONVERA_TRANSLATE("Tonvera", "Welcome", ""));
    t.stepPermissions = text(TONVERA_TRANSLATE("Tonvera", "Permissions", ""));
    t.stepSpeaker = text(TONVERA_TRANSLATE("Tonvera", "Speaker", ""));
    t.back = text(TONVERA_TRANSLATE("Tonvera", "Back", ""));
    t.continueLabel = text(TONVERA_TRANSLATE("Tonvera", "Continue", ""));
    t.done = text(TONVERA_TRANSLATE("Tonvera", "Done", ""));

    t.appName = text(TONVERA_TRANSLATE("Tonvera", "Tonvera", ""));
    t.tagline = text(TONVERA_TRANSLATE("Tonvera", "Automatically to the right speaker", ""));
    t.introduction = text(TONVERA_TRANSLATE(
        "Tonvera",
        "Your Mac doesn't always remember the AirPlay output after sleep or restart. This small "
        "menu bar app automatically restores your preferred speaker.",
        ""));
    t.afterSleepTitle = text(TONVERA_TRANSLATE("Tonvera", "After sleep", ""));
    t.afterSleepDescription =
        text(TONVERA_TRANSLATE("Tonvera", "Automatically restores the speaker after wake.", ""));
    t.atLoginTitle = text(TONVERA_TRANSLATE("Tonvera", "At login", ""));
    t.atLoginDescription =
        text(TONVERA_TRANSLATE("Tonvera", "Optionally connects right after login.", ""));
    t.backgroundTitle = text(TONVERA_TRANSLATE("Tonvera", "Quietly in the background", ""));
    t.backgroundDescription =
        text(TONVERA_TRANSLATE("Tonvera", "No big window, just a small icon in the menu bar.", ""));
    t.reconnectHeading = text(TONVERA_TRANSLATE("Tonvera", "Reconnect automatically:", ""));
    t.connectOnWake = text(TONVERA_TRANSLATE("Tonvera", "Connect automatically on wake", ""));
    t.connectAtLogin = text(TONVERA_TRANSLATE("Tonvera", "Connect automatically at login", ""));
    t.compatibility = text(TONVERA_TRANSLATE("Tonvera", "Works on macOS 26 & 27.", ""));

    t.permissionTitle = text(TONVERA_TRANSLATE("Tonvera", "Permission", ""));
    t.permissionIntroduction = text(TONVERA_TRANSLATE(
        "Tonvera", "To choose the audio output, the app needs your permission once.", ""));
    t.permissionGranted = text(TONVERA_TRANSLATE("Tonvera", "Permission granted", ""));
    t.permissionGrantedExplanation =
        text(TONVERA_TRANSLATE("Tonvera", "All set — the app may control the Sound menu.", ""));
    t.permissionMissing = text(TONVERA_TRANSLATE("Tonvera", "Permission missing", ""));
    t.permissionMissingExplanation = text(
        TONVERA_TRANSLATE("Tonvera", "Without this permission no speaker can be selected.", ""));
    t.howToEnable = text(TONVERA_TRANSLATE("Tonvera", "How to enable the permission:", ""));
    t.howToStep1 = text(TONVERA_TRANSLATE("Tonvera", "Open System Settings", ""));
    t.howToStep2 = text(
        TONVERA_TRANSLATE("Tonvera", "Privacy & Security → Device Control and Data Access", ""));
    t.howToStep3 = text(TONVERA_TRANSLATE("Tonvera", "Enable the switch for Tonvera", ""));
    t.openAccessibilitySettings =
        text(TONVERA_TRANSLATE("Tonvera", "Open Accessibility Settings", ""));
    t.checkAgain = text(TONVERA_TRANSLATE("Tonvera", "Check again", ""));
    t.detectedAutomatically =
        text(TONVERA_TRANSLATE("Tonvera", "Detected automatically — you can continue.", ""));

    t.speakerTitle = text(TONVERA_TRANSLATE("Tonvera", "Choose AirPlay speaker", ""));
    t.speakerIntroduction = text(TONVERA_TRANSLATE(
        "Tonvera", "Enter the name of your speaker — e.g. Living Room, Office or HomePod.", ""));
    t.soundIconHeading = text(TONVERA_TRANSLATE("Tonvera", "Sound icon in the menu bar", ""));
    t.soundIconFound =
        text(TONVERA_TRANSLATE("Tonvera", "Found — please set it to always show.", ""));
    t.soundIconMissing =
        text(TONVERA_TRANSLATE("Tonvera", "Not found. The app cannot switch it on by itself:", ""));
    t.soundIconPath = text(TONVERA_TRANSLATE(
        "Tonvera", "System Settings → Menu Bar → Sound → Always Show in Menu Bar", ""));
    t.pictureCaption = text(TONVERA_TRANSLATE("Tonvera", "It should look like this:", ""));
    t.openControlCenter = text(TONVERA_TRANSLATE("Tonvera", "Open Control Center", ""));
    t.speakerName = text(TONVERA_TRANSLATE("Tonvera", "Speaker name", ""));
    t.namePlaceholder = text(TONVERA_TRANSLATE("Tonvera", "e.g. Office", ""));
    t.test = text(TONVERA_TRANSLATE("Tonvera", "Test", ""));
    t.nameHint = text(TONVERA_TRANSLATE(
        "Tonvera", "Name exactly as shown in the Sound menu. Case sensitive.", ""));
    t.search = text(TONVERA_TRANSLATE("Tonvera", "Search for AirPlay devices", ""));
    t.permissionRequired =
        text(TONVERA_TRANSLATE("Tonvera", "Accessibility permission required", ""));
    t.tip = text(TONVERA_TRANSLATE(
        "Tonvera", "Tip: keep the speaker on the same Wi-Fi network, then search again.", ""));
    t.foundOutputs = text(TONVERA_TRANSLATE("Tonvera", "Found outputs:", ""));
    t.apply = text(TONVERA_TRANSLATE("Tonvera", "Apply", ""));
    t.closingNote = text(TONVERA_TRANSLATE(
        "Tonvera",
        "Afterwards the app lives quietly in the menu bar and reconnects automatically after "
        "sleep & login.",
        ""));
    return t;
}

}  // namespace tonvera
