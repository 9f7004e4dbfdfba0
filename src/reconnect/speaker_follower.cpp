#include "reconnect/speaker_follower.h"

#include <algorithm>
#include <utility>

#include <fmt/format.h>

#include "selection/unicode_text.h"

namespace tonvera {
namespace {

// "3 minutes", or "20 seconds" for a window set shorter in the settings file.
std::string describe(std::chrono::milliseconds window) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(window).count();
    if (seconds % 60 != 0) {
        return fmt::format("{} seconds", seconds);
    }
    return seconds == 60 ? std::string("1 minute") : fmt::format("{} minutes", seconds / 60);
}

}  // namespace

std::shared_ptr<SpeakerFollower> SpeakerFollower::create(
    std::shared_ptr<SoundOutputs> outputs, std::shared_ptr<AppSettings> settings,
    std::shared_ptr<ReconnectOrchestrator> orchestrator, std::shared_ptr<TaskRunner> tasks,
    std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<LogSink> logSink) {
    return std::make_shared<SpeakerFollower>(Private{}, std::move(outputs), std::move(settings),
                                             std::move(orchestrator), std::move(tasks),
                                             std::move(mainQueue), std::move(logSink));
}

SpeakerFollower::SpeakerFollower(Private, std::shared_ptr<SoundOutputs> outputs,
                                 std::shared_ptr<AppSettings> settings,
                                 std::shared_ptr<ReconnectOrchestrator> orchestrator,
                                 std::shared_ptr<TaskRunner> tasks,
                                 std::shared_ptr<MainQueue> mainQueue,
                                 std::shared_ptr<LogSink> logSink)
    : logger_(makeAirPlayLogger(std::move(logSink))),
      outputs_(std::move(outputs)),
      settings_(std::move(settings)),
      orchestrator_(std::move(orchestrator)),
      tasks_(std::move(tasks)),
      mainQueue_(std::move(mainQueue)) {}

void SpeakerFollower::start(StayedAwayHandler onStayedAway) {
    onStayedAway_ = std::move(onStayedAway);
    const std::weak_ptr<SpeakerFollower> weak = weak_from_this();
    // Every run, whoever started it, reports its end here: a speaker that appeared during a
    // run that failed anyway gets one more.
    orchestrator_->setRunEndedHandler(
        [weak, mainQueue = mainQueue_](const ReconnectResult& result) {
            mainQueue->post([weak, result] {
                if (const auto self = weak.lock()) {
                    self->runEnded(result);
                }
            });
        });
    subscriptions_.push_back(settings_->observeConnectWhenSpeakerAppears([weak](const bool& on) {
        if (const auto self = weak.lock()) {
            // Observers hear of a change before the settings hold it: keep the value given.
            self->followAlways_ = on;
            if (on) {
                self->logger_.info("[AirPlay] Switching to {} whenever it appears",
                                   self->settings_->deviceName());
            }
            self->updateWatch();
        }
    }));
    // A new name is no appearance: what counts is a change of the outputs themselves.
    subscriptions_.push_back(settings_->observeDeviceName(
        [weak](const std::string&) {
            if (const auto self = weak.lock()) {
                self->retryAfterRun_ = false;
            }
        },
        Observation::skipCurrent));
}

void SpeakerFollower::stop() {
    stopped_ = true;
    subscriptions_.clear();
    windowOpen_ = false;
    updateWatch();
}

void SpeakerFollower::followForAWhile() {
    if (stopped_ || unicode_text::isBlank(settings_->deviceName())) {
        return;
    }
    if (!windowOpen_) {
        logger_.info("[AirPlay] Following {} for up to {}", settings_->deviceName(),
                     describe(settings_->followWindow()));
    }
    windowOpen_ = true;
    const std::uint64_t window = ++window_;
    mainQueue_->postAfter(settings_->followWindow(), [weak = weak_from_this(), window] {
        if (const auto self = weak.lock()) {
            self->windowEnded(window);
        }
    });
    updateWatch();
}

void SpeakerFollower::updateWatch() {
    const bool wanted = outputs_ && !stopped_ && (windowOpen_ || followAlways_);
    if (wanted && !watch_) {
        latest_.reset();
        watch_ = outputs_->watch([weak = weak_from_this()](const std::vector<SoundOutput>& list) {
            if (const auto self = weak.lock()) {
                self->outputsChanged(list);
            }
        });
    } else if (!wanted && watch_) {
        watch_.reset();
        latest_.reset();
    }
}

bool SpeakerFollower::isSpeaker(const SoundOutput& output) const {
    return unicode_text::canonicallyEqual(output.name, settings_->deviceName());
}

bool SpeakerFollower::speakerIsPresent() const {
    return latest_ && std::ranges::any_of(*latest_, [this](const auto& o) { return isSpeaker(o); });
}

bool SpeakerFollower::speakerIsSelected() const {
    return latest_ && std::ranges::any_of(*latest_, [this](const auto& output) {
               return output.isDefault && isSpeaker(output);
           });
}

void SpeakerFollower::outputsChanged(const std::vector<SoundOutput>& outputs) {
    // The first list after the watch opens tells what is there, not what appeared.
    const bool known = latest_.has_value();
    const bool wasPresent = speakerIsPresent();
    latest_ = outputs;
    const std::string speaker = settings_->deviceName();
    if (known && !wasPresent && speakerIsPresent() && !unicode_text::isBlank(speaker)) {
        speakerAppeared(speaker);
    }
    if (windowOpen_ && speakerIsSelected()) {
        logger_.info("[AirPlay] {} is selected — following ends", speaker);
        endWindow();
    }
}

void SpeakerFollower::speakerAppeared(const std::string& speaker) {
    if (!windowOpen_ && !followAlways_) {
        return;
    }
    if (speakerIsSelected()) {
        return;
    }
    if (orchestrator_->isRunning()) {
        logger_.info("[AirPlay] {} appeared — next attempt starts now", speaker);
        retryAfterRun_ = true;
        orchestrator_->hurry();
        return;
    }
    logger_.info("[AirPlay] {} appeared — selecting it", speaker);
    startRun(speaker);
}

void SpeakerFollower::startRun(const std::string& speaker) {
    tasks_->submit([orchestrator = orchestrator_, speaker](const std::stop_token& stop) {
        orchestrator->reconnect(speaker, stop);
    });
}

void SpeakerFollower::runEnded(const ReconnectResult& result) {
    // Also after a success: the speaker may have vanished during the run's check and come
    // back as it ended. The list tells; a speaker already selected starts nothing.
    if (!std::exchange(retryAfterRun_, false) ||
        result.status == ReconnectResult::Status::cancelled || stopped_) {
        return;
    }
    if ((windowOpen_ || followAlways_) && speakerIsPresent() && !speakerIsSelected()) {
        logger_.info("[AirPlay] {} is there now — selecting it", settings_->deviceName());
        startRun(settings_->deviceName());
    }
}

void SpeakerFollower::windowEnded(std::uint64_t window) {
    if (!windowOpen_ || window != window_) {
        return;  // a later wake opened a new window, or the speaker came back meanwhile
    }
    const std::string speaker = settings_->deviceName();
    if (speakerIsSelected()) {
        endWindow();
        return;
    }
    logger_.info("[AirPlay] {} did not come back within {} — stopped following", speaker,
                 describe(settings_->followWindow()));
    std::string current;
    if (latest_) {
        const auto found = std::ranges::find_if(*latest_, &SoundOutput::isDefault);
        current = found != latest_->end() ? found->name : "";
    }
    endWindow();
    if (onStayedAway_) {
        onStayedAway_(speaker, current);
    }
}

void SpeakerFollower::endWindow() {
    windowOpen_ = false;
    updateWatch();
}

}  // namespace tonvera
