#include "ui/settings_texts.h"

#include "settings/app_settings.h"

namespace tonvera {

SettingsTexts SettingsTexts::load(const Localizer& localizer) {
    const auto text = [&localizer](const LocalizedText& source) {
        return localizer.localized(source);
    };
    SettingsTexts t;
    t.appName = text(TONVERA_TRANSLATE("Tonvera", "Tonvera", ""));
    t.tagline = text(TONVERA_TRANSLATE("Tonvera", "Menu bar app • auto reconnect", ""));
    t.deviceHeading = text(TONVERA_TRANSLATE("Tonvera", "Preferred audio output:", ""));
    t.devicePlaceholder = text(TONVERA_TRANSLATE("Tonvera", "e.g. Office", ""));
    t.connectNow = text(TONVERA_TRANSLATE("Tonvera", "Connect now", ""));
    t.connectOnWake = text(TONVERA_TRANSLATE("Tonvera", "Connect automatically on wake", ""));
    t.connectAtLogin = text(TONVERA_TRANSLATE("Tonvera", "Connect automatically at login", ""));
    t.launchAtLogin = text(TONVERA_TRANSLATE("Tonvera", "Open at Mac startup", ""));
    t.connectWhenSpeakerAppears = text(TONVERA_TRANSLATE(
        "Tonvera", "Switch to the speaker whenever it appears", "Settings: follow speaker"));
    t.keepSoundFromNewOutputs =
        text(TONVERA_TRANSLATE("Tonvera", "Keep new outputs from taking the sound",
                               "Settings: keep sound from new outputs"));
    t.notifyWhenSpeakerStaysAway = text(TONVERA_TRANSLATE(
        "Tonvera", "Tell me when the speaker stays away", "Settings: stays-away notice"));
    t.reconnectBluetoothOutputs = text(TONVERA_TRANSLATE(
        "Tonvera", "Reconnect Bluetooth outputs after wake", "Settings: Bluetooth switch"));

    t.rankingHeading =
        text(TONVERA_TRANSLATE("Tonvera", "Order of outputs:", "Settings: ranking heading"));
    t.rankingExplanation = text(TONVERA_TRANSLATE(
        "Tonvera",
        "Outputs above the preferred one play whenever they are there; those below it step in "
        "while it is away.",
        "Settings: ranking, what the order means"));
    t.rankingListName = text(TONVERA_TRANSLATE("Tonvera", "Outputs in order of preference",
                                               "Settings: ranking, accessible name"));
    t.rankingPlaceholder = text(TONVERA_TRANSLATE("Tonvera", "Type or pick an output",
                                                  "Settings: fallback list, add field"));
    t.addToRanking = text(TONVERA_TRANSLATE("Tonvera", "Add", "Settings: fallback list"));
    t.removeFromRanking = text(TONVERA_TRANSLATE("Tonvera", "Remove", "Settings: fallback list"));
    t.moveUp = text(TONVERA_TRANSLATE("Tonvera", "Move Up", "Settings: fallback list"));
    t.moveDown = text(TONVERA_TRANSLATE("Tonvera", "Move Down", "Settings: fallback list"));
    t.preferredRow = text(TONVERA_TRANSLATE("Tonvera", "%@ — preferred output",
                                            "Settings: ranking, the preferred output's row"));
    t.preferredRowUnnamed =
        text(TONVERA_TRANSLATE("Tonvera", "Preferred output (no name yet)",
                               "Settings: ranking, the preferred output's row without a name"));
    t.rowAbove = text(TONVERA_TRANSLATE("Tonvera", "%@, above the preferred output",
                                        "Settings: ranking, a row's accessible name"));
    t.rowBelow = text(TONVERA_TRANSLATE("Tonvera", "%@, below the preferred output",
                                        "Settings: ranking, a row's accessible name"));
    t.refusedPreferred = text(TONVERA_TRANSLATE("Tonvera", "This is the preferred output already.",
                                                "Settings: fallback list, refused"));
    t.refusedRepeated = text(TONVERA_TRANSLATE("Tonvera", "This output is in the list already.",
                                               "Settings: fallback list, refused"));
    t.refusedFull = localizer.localizedPlural(
        TONVERA_TRANSLATE_N("Tonvera", "The list holds at most %n outputs.",
                            "Settings: fallback list, refused"),
        static_cast<int>(AppSettings::kMaxRankedOutputs));

    t.findDevices = text(TONVERA_TRANSLATE("Tonvera", "Find AirPlay devices", ""));
    t.availableOutputs = text(TONVERA_TRANSLATE("Tonvera", "Available outputs:", ""));
    t.use = text(TONVERA_TRANSLATE("Tonvera", "Use", ""));
    t.checkForUpdates = text(TONVERA_TRANSLATE("Tonvera", "Check for Updates", ""));
    t.openAccessibilitySettings =
        text(TONVERA_TRANSLATE("Tonvera", "Open Accessibility Settings", ""));
    t.quit = text(TONVERA_TRANSLATE("Tonvera", "Quit", ""));
    return t;
}

}  // namespace tonvera
