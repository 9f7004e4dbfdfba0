#include "ui/settings_view.h"

#include <algorithm>
#include <exception>
#include <utility>
#include <variant>

#include "platform/task_runner.h"
#include "reconnect/output_ranking.h"
#include "selection/error_description.h"
#include "selection/unicode_text.h"
#include "ui/reconnect_status.h"
#include "ui/settings_redraw.h"
#include "ui/text_format.h"

namespace tonvera {

std::shared_ptr<SettingsView> SettingsView::create(
    std::shared_ptr<AppSettings> settings, std::shared_ptr<ReconnectOrchestrator> orchestrator,
    std::function<void()> onCheckUpdates, ViewServices services) {
    std::shared_ptr<SettingsView> view(
        new SettingsView(std::move(settings), std::move(orchestrator), std::move(onCheckUpdates),
                         std::move(services)));
    view->watchSettings();
    return view;
}

WindowOptions SettingsView::windowOptions() {
    return WindowOptions{
        .title = "Tonvera",
        .closable = true,
        .miniaturizable = true,
        .resizable = false,
        .contentWidth = 840,
        .contentHeight = 580,
    };
}

SettingsView::SettingsView(std::shared_ptr<AppSettings> settings,
                           std::shared_ptr<ReconnectOrchestrator> orchestrator,
                           std::function<void()> onCheckUpdates, ViewServices services)
    : settings_(std::move(settings)),
      orchestrator_(std::move(orchestrator)),
      onCheckUpdates_(std::move(onCheckUpdates)),
      services_(std::move(services)),
      helper_(services_.selectors.makeHelper()),
      ranking_(settings_) {
    texts_ = SettingsTexts::load(*services_.localizer);
    if (services_.readiness) {
        readinessTexts_ = ReadinessTexts::load(*services_.localizer);
        readiness_ = std::make_unique<ReadinessCheck>(services_.readiness, services_.tasks,
                                                      services_.mainQueue, [this] { changed(); });
    }
}

void SettingsView::watchSettings() {
    settingsWatch_ =
        redrawAfterSettingsChange(*settings_, services_.mainQueue, [weak = weak_from_this()] {
            if (const auto view = weak.lock()) {
                view->changed();
            }
        });
}

void SettingsView::windowShown() {
    if (orchestrator_) {
        orchestrator_->updateRetryDelays(settings_->retryDelays());
    }
    windowActivated();
}

void SettingsView::windowActivated() {
    if (readiness_) {
        readiness_->recheck();
    }
}

void SettingsView::startConnect() {
    if (isConnecting_) {
        return;
    }
    const std::string name = settings_->deviceName();
    isConnecting_ = true;
    setStatus(formatText(localized(TONVERA_TRANSLATE("Tonvera", "Connecting to %@…",
                                                     "Settings: connect status")),
                         {name}),
              StatusKind::progress);

    if (orchestrator_) {
        // The run is not tied to the window: closing it must not cancel a started reconnect.
        const bool queued = submitWithCompletion(
            *services_.tasks, services_.mainQueue,
            // Connect now asks for the preferred output, and the list's when it is not there.
            // An earlier pick by hand no longer holds: the ranking decides again.
            [orchestrator = orchestrator_, ranking = OutputRanking::of(*settings_),
             serves = askForRanking(orchestrator_->intent(), Intent::Source::connectNow)](
                const std::stop_token& stop) {
                return orchestrator->reconnectBest(ranking, stop, serves);
            },
            [weak = weak_from_this(), name](const TaskOutcome<ReconnectResult>& outcome) {
                if (const auto self = weak.lock()) {
                    self->finishConnect(name,
                                        outcome.succeeded()
                                            ? outcome.value()
                                            : ReconnectResult{ReconnectResult::Status::notAvailable,
                                                              describeError(outcome.error())});
                }
            });
        if (queued) {
            return;
        }
    }
    // Nothing to run it (or the application is quitting): nothing was tried.
    services_.mainQueue->post([weak = weak_from_this(), name] {
        if (const auto self = weak.lock()) {
            self->finishConnect(name, ReconnectResult{ReconnectResult::Status::cancelled, {}});
        }
    });
}

void SettingsView::finishConnect(const std::string& name, const ReconnectResult& result) {
    isConnecting_ = false;
    const auto line = reconnectStatusLine(*services_.localizer, name, result);
    if (!line) {
        clearStatus();
        return;
    }
    setStatus(line->text, line->kind);
    if (line->kind == StatusKind::done) {
        // The good news goes after a while, unless something newer took its place; a failure
        // stays until the next action replaces it.
        services_.mainQueue->postAfter(kStatusClearDelay,
                                       [weak = weak_from_this(), shown = statusGeneration_] {
                                           const auto self = weak.lock();
                                           if (self && self->statusGeneration_ == shown) {
                                               self->clearStatus();
                                           }
                                       });
    }
}

void SettingsView::setStatus(std::string text, StatusKind kind) {
    statusMessage_ = std::move(text);
    statusKind_ = kind;
    ++statusGeneration_;
    changed();
}

void SettingsView::clearStatus() {
    statusMessage_.reset();
    changed();
}

void SettingsView::startDiscovery() {
    // The button is disabled meanwhile; two overlapping discoveries would mix their answers.
    if (isDiscovering_) {
        return;
    }
    isDiscovering_ = true;
    availableDevices_.clear();
    changed();

    const bool queued = submitWithCompletion(
        *services_.tasks, services_.mainQueue,
        [selectors = services_.selectors](const std::stop_token& stop) {
            return discoverOutputs(selectors, stop);
        },
        [weak = weak_from_this()](const TaskOutcome<OutputDiscovery>& outcome) {
            if (const auto self = weak.lock()) {
                self->finishDiscovery(outcome);
            }
        });
    if (!queued) {
        isDiscovering_ = false;
        changed();
    }
}

void SettingsView::finishDiscovery(const TaskOutcome<OutputDiscovery>& outcome) {
    isDiscovering_ = false;
    if (!outcome.succeeded()) {
        // A failed look at the outputs is often the sound server being away; the badge says
        // so once a fresh look at the desktop confirms it, and the line then keeps quiet.
        if (readiness_) {
            readiness_->recheck();
        }
        setStatus(formatText(localized(TONVERA_TRANSLATE("Tonvera", "Error: %@",
                                                         "Settings: discovery error")),
                             {describeError(outcome.error())}),
                  StatusKind::error);
        return;
    }
    availableDevices_ = outcome.value().names();
    // Only the native route's empty answer is news; an empty script answer says nothing.
    if (availableDevices_.empty() && outcome.value().fromNative) {
        setStatus(
            localized(TONVERA_TRANSLATE("Tonvera", "No devices found. Enter the name manually.",
                                        "Settings: discovery empty")),
            StatusKind::notice);
        return;
    }
    changed();
}

std::optional<StatusLine> SettingsView::statusLine() const {
    if (!statusMessage_) {
        return std::nullopt;
    }
    if (statusKind_ == StatusKind::error && readiness_ &&
        (readiness_->isChecking() || !readiness_->report() || !readiness_->report()->soundServer)) {
        return std::nullopt;
    }
    return StatusLine{*statusMessage_, statusKind_};
}

void SettingsView::useDevice(const std::string& name) {
    settings_->setDeviceName(name);
}

void SettingsView::checkForUpdates() {
    if (onCheckUpdates_) {
        onCheckUpdates_();
    }
}

void SettingsView::openSettingsPane() {
    // Opening a settings panel starts a desktop tool; that wait belongs off the main thread.
    if (readiness_) {
        services_.tasks->submit(
            [workspace = services_.selectors.workspace](const std::stop_token&) {
                static_cast<void>(workspace->openURL(kSoundSettingsAddress));
            });
        return;
    }
    services_.tasks->submit(
        [helper = helper_](const std::stop_token&) { helper.openAccessibilitySettings(); });
}

void SettingsView::quit() {
    services_.application->terminate();
}

void SettingsView::setDeviceName(const std::string& name) {
    settings_->setDeviceName(name);
}

void SettingsView::setConnectOnWake(bool on) {
    settings_->setConnectOnWake(on);
}

void SettingsView::setConnectAtLogin(bool on) {
    settings_->setConnectAtLogin(on);
}

void SettingsView::setLaunchAtLogin(bool on) {
    // The login item itself follows through the delegate's watch on this setting.
    settings_->setLaunchAtLogin(on);
}

void SettingsView::setConnectWhenSpeakerAppears(bool on) {
    settings_->setConnectWhenSpeakerAppears(on);
}

void SettingsView::setKeepSoundFromNewOutputs(bool on) {
    settings_->setKeepSoundFromNewOutputs(on);
}

void SettingsView::setNotifyWhenSpeakerStaysAway(bool on) {
    settings_->setNotifyWhenSpeakerStaysAway(on);
}

void SettingsView::setReconnectBluetoothOutputs(bool on) {
    settings_->setReconnectBluetoothOutputs(on);
}

bool SettingsView::showsBluetoothSwitch() const {
    const OutputRanking ranking = OutputRanking::of(*settings_);
    return std::ranges::any_of(settings_->bluetoothOutputs(), [&ranking](const auto& device) {
        return ranking.rankOf(device.first).has_value();
    });
}

void SettingsView::editedRanking(bool edited) {
    if (edited) {
        changed();
    }
}

void SettingsView::selectRankingRow(std::optional<std::size_t> row) {
    editedRanking(ranking_.select(row));
}

void SettingsView::setRankingDraft(const std::string& name) {
    editedRanking(ranking_.setDraft(name));
}

void SettingsView::addToRanking() {
    editedRanking(ranking_.add());
}

void SettingsView::removeFromRanking() {
    editedRanking(ranking_.remove());
}

void SettingsView::moveRankingRowUp() {
    editedRanking(ranking_.moveUp());
}

void SettingsView::moveRankingRowDown() {
    editedRanking(ranking_.moveDown());
}

std::vector<SettingsView::RankingRow> SettingsView::rankingRows() const {
    const std::vector<std::string> names = ranking_.rows();
    const std::size_t preferred = ranking_.preferredRow();
    std::vector<RankingRow> rows;
    rows.reserve(names.size());
    for (std::size_t row = 0; row < names.size(); ++row) {
        const std::string& name = names[row];
        if (row == preferred) {
            // A name is never looked up as a text, only put into one.
            std::string text = unicode_text::isBlank(name)
                                   ? texts_.preferredRowUnnamed
                                   : formatText(texts_.preferredRow, {name});
            rows.push_back({text, text, true});
        } else {
            rows.push_back(
                {name, formatText(row < preferred ? texts_.rowAbove : texts_.rowBelow, {name})});
        }
    }
    return rows;
}

std::vector<std::string> SettingsView::rankingCandidates() const {
    return ranking_.candidates(availableDevices_);
}

std::string SettingsView::rankingRefusal() const {
    switch (ranking_.draftRefusal()) {
        case RankingEditor::Refusal::none:
        case RankingEditor::Refusal::blank:
            return {};
        case RankingEditor::Refusal::preferred:
            return texts_.refusedPreferred;
        case RankingEditor::Refusal::repeated:
            return texts_.refusedRepeated;
        case RankingEditor::Refusal::full:
            return texts_.refusedFull;
    }
    return {};
}

SettingsView::Badge SettingsView::badge() const {
    if (!readiness_) {
        return helper_.isTrusted()
                   ? Badge{localized(TONVERA_TRANSLATE("Tonvera", "Permission granted", "")),
                           Tone::success}
                   : Badge{localized(TONVERA_TRANSLATE("Tonvera", "Permission missing", "")),
                           Tone::warning};
    }
    const auto& report = readiness_->report();
    if (!report) {
        return {{}, Tone::pending};
    }
    // The part whose absence costs the most is named first: without the sound server nothing
    // can be switched at all.
    if (!report->soundServer) {
        return {readinessTexts_.badgeSoundMissing, Tone::warning};
    }
    if (!report->systemBus) {
        return {readinessTexts_.badgeWakeMissing, Tone::warning};
    }
    if (!report->trayHost) {
        return {readinessTexts_.badgeTrayMissing, Tone::warning};
    }
    return {{}, Tone::success};
}

std::string SettingsView::discoveryHint() const {
    if (readiness_) {
        return {};
    }
    return helper_.isTrusted()
               ? std::string()
               : localized(TONVERA_TRANSLATE("Tonvera", "Accessibility permission required", ""));
}

std::string SettingsView::versionText() const {
    return formatText(localized(TONVERA_TRANSLATE("Tonvera", "Version %@", "Settings: version")),
                      {services_.currentVersion});
}

std::string SettingsView::deviceRowText(const std::string& name) const {
    return formatText(localized(TONVERA_TRANSLATE("Tonvera", "• %@", "")), {name});
}

Subscription SettingsView::observeChanges(std::function<void()> observer) {
    return changes_.add(std::move(observer));
}

std::string SettingsView::localized(const LocalizedText& text) const {
    return services_.localizer->localized(text);
}

void SettingsView::changed() {
    changes_.notify();
}

}  // namespace tonvera
