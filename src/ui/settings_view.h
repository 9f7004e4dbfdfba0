#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_host.h"
#include "reconnect/reconnect_orchestrator.h"
#include "selection/accessibility_helper.h"
#include "selection/output_discovery.h"
#include "settings/app_settings.h"
#include "settings/observer_list.h"
#include "settings/subscription.h"
#include "ui/ranking_editor.h"
#include "ui/readiness_check.h"
#include "ui/settings_texts.h"
#include "ui/status_line.h"
#include "ui/view_services.h"

namespace tonvera {

// The Settings window's state and operations, without a toolkit: the device name, the ranking
// of outputs around it and the switches (kept in the shared settings), a connect with
// its status line, a discovery with its found list, the badge (the permission, or what the
// desktop lacks where no permission can be missing), the version line and the window's buttons.
//
// Everything here runs on the main thread. Blocking work (a reconnect, a discovery) runs on
// the task runner; its result comes back on the main queue to a view held weakly, so a task
// that outlives the window runs to its end and changes nothing.
class SettingsView final : public WindowContent, public std::enable_shared_from_this<SettingsView> {
  public:
    // How long the news that a connect worked stays in the status line.
    static constexpr std::chrono::seconds kStatusClearDelay{3};

    // `orchestrator` may be null (connect and the retry-delay refresh are then skipped) and
    // `onCheckUpdates` may be empty.
    static std::shared_ptr<SettingsView> create(std::shared_ptr<AppSettings> settings,
                                                std::shared_ptr<ReconnectOrchestrator> orchestrator,
                                                std::function<void()> onCheckUpdates,
                                                ViewServices services);

    static WindowOptions windowOptions();

    SettingsView(const SettingsView&) = delete;
    SettingsView& operator=(const SettingsView&) = delete;

    // The window came on screen: the orchestrator takes the settings' current retry delays,
    // and the desktop's readiness is looked at afresh.
    void windowShown();
    // The window became the active one: the readiness may have changed meanwhile.
    void windowActivated();

    // Operations behind the controls.
    void startConnect();
    void startDiscovery();
    void useDevice(const std::string& name);
    void checkForUpdates();
    // The settings pane the badge leads to: the accessibility permission's, or the sound
    // settings where the readiness is shown.
    void openSettingsPane();
    void quit();
    void setDeviceName(const std::string& name);
    void setConnectOnWake(bool on);
    void setConnectAtLogin(bool on);
    void setLaunchAtLogin(bool on);
    void setConnectWhenSpeakerAppears(bool on);
    void setKeepSoundFromNewOutputs(bool on);
    void setNotifyWhenSpeakerStaysAway(bool on);
    void setReconnectBluetoothOutputs(bool on);

    // The ranking (the outputs above the preferred one, the preferred one, those below it):
    // its rules are the editor's, each operation here redraws when it changed something.
    const RankingEditor& ranking() const { return ranking_; }
    void selectRankingRow(std::optional<std::size_t> row);
    void setRankingDraft(const std::string& name);
    void addToRanking();
    void removeFromRanking();
    void moveRankingRowUp();
    void moveRankingRowDown();
    // One row as the list shows it: the text, what a screen reader says, and whether it is
    // the preferred output's fixed row.
    struct RankingRow {
        std::string text;
        std::string accessibleName;
        bool preferred = false;

        bool operator==(const RankingRow&) const = default;
    };
    std::vector<RankingRow> rankingRows() const;
    // The found outputs that could be added now, for the add field's choices.
    std::vector<std::string> rankingCandidates() const;
    // Why the draft cannot be added (empty when it can, or when nothing is typed).
    std::string rankingRefusal() const;

    // State.
    std::string deviceName() const { return settings_->deviceName(); }
    bool connectOnWake() const { return settings_->connectOnWake(); }
    bool connectAtLogin() const { return settings_->connectAtLogin(); }
    bool launchAtLogin() const { return settings_->launchAtLogin(); }
    bool connectWhenSpeakerAppears() const { return settings_->connectWhenSpeakerAppears(); }
    bool keepSoundFromNewOutputs() const { return settings_->keepSoundFromNewOutputs(); }
    bool notifyWhenSpeakerStaysAway() const { return settings_->notifyWhenSpeakerStaysAway(); }
    bool reconnectBluetoothOutputs() const { return settings_->reconnectBluetoothOutputs(); }
    // The Bluetooth switch matters only once a ranked output is known to be a Bluetooth device.
    bool showsBluetoothSwitch() const;
    bool isConnecting() const { return isConnecting_; }
    const std::optional<std::string>& statusMessage() const { return statusMessage_; }
    // What the status line shows: the message and what kind of news it is. A discovery error
    // is left out while the badge explains it (the sound server does not answer) or while the
    // look that would tell is still running, so one cause is shown once.
    std::optional<StatusLine> statusLine() const;
    const std::vector<std::string>& availableDevices() const { return availableDevices_; }
    bool isDiscovering() const { return isDiscovering_; }

    // Enabling rules. A name of blanks counts as a name: the orchestrator judges it.
    bool canConnect() const { return !isConnecting_ && !settings_->deviceName().empty(); }
    bool canDiscover() const { return !isDiscovering_; }

    // The header's badge and the hint beside the discovery button (empty when nothing stands
    // in the way of a discovery). The permission is asked afresh on every call, so each redraw
    // shows it as it is now; the readiness is the last look's. Where the readiness is shown,
    // the badge names only what is missing: its text is empty while the desktop is ready or
    // the first look runs, and the hint is always empty (the badge says it already).
    enum class Tone { pending, success, warning };
    struct Badge {
        std::string text;
        Tone tone = Tone::pending;
    };
    Badge badge() const;
    std::string discoveryHint() const;

    // Texts.
    const SettingsTexts& texts() const { return texts_; }
    std::string versionText() const;
    // The list entry for one found output; the name itself is never looked up.
    std::string deviceRowText(const std::string& name) const;

    // Calls `observer` after every change of the state above, settings included.
    Subscription observeChanges(std::function<void()> observer);

  private:
    SettingsView(std::shared_ptr<AppSettings> settings,
                 std::shared_ptr<ReconnectOrchestrator> orchestrator,
                 std::function<void()> onCheckUpdates, ViewServices services);

    void watchSettings();
    void finishConnect(const std::string& name, const ReconnectResult& result);
    void finishDiscovery(const TaskOutcome<OutputDiscovery>& outcome);
    void clearStatus();
    void setStatus(std::string text, StatusKind kind);
    void editedRanking(bool edited);
    std::string localized(const LocalizedText& text) const;
    void changed();

    std::shared_ptr<AppSettings> settings_;
    std::shared_ptr<ReconnectOrchestrator> orchestrator_;
    std::function<void()> onCheckUpdates_;
    ViewServices services_;
    AccessibilityHelper helper_;
    SettingsTexts texts_;
    ReadinessTexts readinessTexts_;
    std::unique_ptr<ReadinessCheck> readiness_;

    bool isConnecting_ = false;
    std::optional<std::string> statusMessage_;
    StatusKind statusKind_ = StatusKind::notice;
    // Counts the messages, so a clearing that is due removes only the one it was meant for.
    std::uint64_t statusGeneration_ = 0;
    std::vector<std::string> availableDevices_;
    RankingEditor ranking_;
    bool isDiscovering_ = false;

    ObserverList<> changes_;
    Subscription settingsWatch_;
};

}  // namespace tonvera
