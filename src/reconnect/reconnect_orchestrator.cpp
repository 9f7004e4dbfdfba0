#include "reconnect/reconnect_orchestrator.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "reconnect/failure_ranking.h"
#include "reconnect/permission_error.h"
#include "selection/accessibility_error.h"
#include "selection/error_description.h"
#include "selection/unicode_text.h"

namespace tonvera {
namespace {

const AccessibilityError* asAccessibilityError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const AccessibilityError& accessibilityError) {
        // The exception object lives as long as `error` holds it.
        return &accessibilityError;
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

ReconnectOrchestrator::ReconnectOrchestrator(std::shared_ptr<AudioOutputSelector> primarySelector,
                                             std::shared_ptr<AudioOutputSelector> fallbackSelector,
                                             std::shared_ptr<const AccessibilityTrust> trust,
                                             std::shared_ptr<Clock> clock,
                                             std::shared_ptr<LogSink> logSink,
                                             std::shared_ptr<SoundIntent> intent)
    : logger_(makeAirPlayLogger(std::move(logSink))),
      primarySelector_(std::move(primarySelector)),
      fallbackSelector_(std::move(fallbackSelector)),
      trust_(std::move(trust)),
      clock_(std::move(clock)),
      intent_(std::move(intent)) {
    if (intent_) {
        intentSubscription_ = intent_->observe([this](const Intent& now) { intentChanged(now); });
    }
}

ReconnectOrchestrator::~ReconnectOrchestrator() = default;

void ReconnectOrchestrator::intentChanged(const Intent& now) {
    std::lock_guard lock(mutex_);
    if (isRunning_ && serving_ && serving_->generation != now.generation) {
        runCut_.request_stop();
    }
}

std::optional<ReconnectResult> ReconnectOrchestrator::endIfSuperseded(
    const std::string& deviceName) {
    std::optional<Intent> serving;
    {
        std::lock_guard lock(mutex_);
        serving = serving_;
    }
    if (!serving || !intent_ || intent_->holds(*serving)) {
        return std::nullopt;
    }
    const Intent now = intent_->current();
    logger_.info("[AirPlay] Reconnect for {} stopped — {}", deviceName, describe(now));
    return ReconnectResult{ReconnectResult::Status::superseded, {}, now.output};
}

void ReconnectOrchestrator::updateRetryDelays(std::vector<double> delays) {
    std::lock_guard lock(mutex_);
    retryDelays_ = std::move(delays);
}

bool ReconnectOrchestrator::isRunning() const {
    std::lock_guard lock(mutex_);
    return isRunning_;
}

std::vector<double> ReconnectOrchestrator::retryDelays() const {
    std::lock_guard lock(mutex_);
    return retryDelays_;
}

void ReconnectOrchestrator::setRunEndedHandler(
    std::function<void(const ReconnectResult&)> handler) {
    std::lock_guard lock(mutex_);
    runEnded_ = std::move(handler);
}

void ReconnectOrchestrator::setSelectingHandler(
    std::function<void(const std::string& output)> handler) {
    std::lock_guard lock(mutex_);
    selecting_ = std::move(handler);
}

void ReconnectOrchestrator::setPresentOutputs(std::function<SoundOutputs::List()> read) {
    std::lock_guard lock(mutex_);
    presentOutputs_ = std::move(read);
}

void ReconnectOrchestrator::announceSelecting(const std::string& output) const {
    std::function<void(const std::string&)> selecting;
    {
        std::lock_guard lock(mutex_);
        selecting = selecting_;
    }
    if (selecting) {
        selecting(output);
    }
}

void ReconnectOrchestrator::hurry() {
    std::lock_guard lock(mutex_);
    if (isRunning_) {
        hurried_ = true;
        pauseCut_.request_stop();
    }
}

void ReconnectOrchestrator::cancelForQuit() {
    std::lock_guard lock(mutex_);
    quitting_ = true;
    pauseCut_.request_stop();
}

bool ReconnectOrchestrator::isQuitting() const {
    std::lock_guard lock(mutex_);
    return quitting_;
}

std::optional<ReconnectResult> ReconnectOrchestrator::beginRun(const std::string& deviceName,
                                                               const std::optional<Intent>& serves,
                                                               std::vector<double>& delays) {
    using Status = ReconnectResult::Status;
    if (unicode_text::isBlank(deviceName)) {
        logger_.error("[AirPlay] No device configured — skipping reconnect");
        return ReconnectResult{Status::noDevice, {}};
    }
    // Queued before the person asked for something else: nothing to do any more.
    if (serves && intent_ && !intent_->holds(*serves)) {
        const Intent now = intent_->current();
        logger_.info("[AirPlay] Reconnect for {} stopped — {}", deviceName, describe(now));
        return ReconnectResult{Status::superseded, {}, now.output};
    }
    // The refusals and the start of the run form one step, so two racing requests can never
    // both start a run.
    std::unique_lock lock(mutex_);
    // A run whose intent no longer holds ends at its next step, which its cut waits bring
    // near: the run for the newer intent waits for that instead of being refused.
    const auto replaced = [this] { return serving_ && intent_ && !intent_->holds(*serving_); };
    if (isRunning_ && serves && replaced()) {
        runFinished_.wait_for(lock, kTakeOverWait, [this] { return !isRunning_ || quitting_; });
    }
    if (quitting_) {
        return ReconnectResult{Status::cancelled, {}};
    }
    if (isRunning_) {
        logger_.info("[AirPlay] Reconnect already in progress — skipping duplicate request");
        return ReconnectResult{Status::alreadyRunning, {}};
    }
    if (!trust_->isProcessTrusted()) {
        logger_.error(
            "[AirPlay] Accessibility permission missing — aborting reconnect. Please enable in "
            "System Settings → Privacy & Security → Device Control and Data Access");
        return ReconnectResult{Status::permissionMissing, {}};
    }
    isRunning_ = true;
    hurried_ = false;
    serving_ = serves;
    runCut_ = std::stop_source();
    delays = retryDelays_;
    logger_.info("[AirPlay] Reconnect requested for {} with {} attempts", deviceName,
                 delays.size());
    return std::nullopt;
}

void ReconnectOrchestrator::endRun() {
    {
        std::lock_guard lock(mutex_);
        isRunning_ = false;
        serving_.reset();
    }
    runFinished_.notify_all();
}

ReconnectResult ReconnectOrchestrator::reconnect(const std::string& deviceName,
                                                 const std::stop_token& stop,
                                                 const std::optional<Intent>& serves) {
    return reconnectWith(deviceName, nullptr, stop, serves);
}

ReconnectResult ReconnectOrchestrator::reconnectBest(const OutputRanking& ranking,
                                                     const std::stop_token& stop,
                                                     const std::optional<Intent>& serves) {
    return reconnectWith(ranking.preferred(), &ranking, stop, serves);
}

ReconnectResult ReconnectOrchestrator::reconnectWith(const std::string& deviceName,
                                                     const OutputRanking* ranking,
                                                     const std::stop_token& stop,
                                                     const std::optional<Intent>& serves) {
    std::vector<double> delays;
    if (auto refused = beginRun(deviceName, serves, delays)) {
        return *refused;
    }
    ReconnectResult result;
    {
        // Whatever happens in the run, the next request must not be refused as a duplicate.
        struct RunEnd {
            ReconnectOrchestrator* owner;
            ~RunEnd() { owner->endRun(); }
        } runEnd{this};
        std::stop_token cut;
        {
            std::lock_guard lock(mutex_);
            cut = runCut_.get_token();
        }
        // The caller's stop and a change of the intent both cut the run's waits short.
        std::stop_source runStop;
        const std::stop_callback forwardStop(stop, [runStop]() mutable { runStop.request_stop(); });
        const std::stop_callback forwardCut(cut, [runStop]() mutable { runStop.request_stop(); });
        const std::stop_token token = runStop.get_token();

        std::optional<ReconnectResult> above;
        if (ranking != nullptr && !ranking->above().empty()) {
            above = selectAbove(*ranking, token);
        }
        if (above) {
            result = std::move(*above);
        } else {
            announceSelecting(deviceName);
            result = run(deviceName, delays, token);
        }
        // Only a run that gave up turns to the list: a missing permission or quitting stops
        // every output alike.
        if (ranking != nullptr && result.status == ReconnectResult::Status::notAvailable &&
            !ranking->fallbacks().empty() && !isQuitting()) {
            if (auto fromList = selectFromList(*ranking, token)) {
                result = std::move(*fromList);
            }
        }
    }
    std::function<void(const ReconnectResult&)> runEnded;
    {
        std::lock_guard lock(mutex_);
        runEnded = runEnded_;
    }
    if (runEnded) {
        runEnded(result);
    }
    return result;
}

ReconnectResult ReconnectOrchestrator::run(const std::string& deviceName,
                                           const std::vector<double>& delays,
                                           const std::stop_token& stop) {
    const std::size_t attempts = delays.size();
    std::string lastError;
    for (std::size_t index = 0; index < attempts; ++index) {
        const std::size_t number = index + 1;
        pauseBeforeAttempt(delays[index], number, stop);
        // A pause cut short by quitting ends the run here: the attempts left would only fail
        // against a stopped token and end in a line that blames the speaker.
        if (isQuitting()) {
            logger_.info("[AirPlay] Reconnect for {} stopped — app terminating", deviceName);
            return ReconnectResult{ReconnectResult::Status::cancelled, {}};
        }
        if (auto ended = attempt(deviceName, number, attempts, stop, lastError)) {
            return *ended;
        }
    }
    if (attempts > 0) {
        logger_.error(
            "[AirPlay] AirPlay device \"{}\" not available after {} attempts. Waiting for next "
            "wake event.",
            deviceName, attempts);
    }
    return ReconnectResult{ReconnectResult::Status::notAvailable, lastError};
}

SoundOutputs::List ReconnectOrchestrator::presentOutputs() const {
    std::function<SoundOutputs::List()> read;
    {
        std::lock_guard lock(mutex_);
        read = presentOutputs_;
    }
    return read ? read() : std::nullopt;
}

std::optional<ReconnectResult> ReconnectOrchestrator::selectAbove(const OutputRanking& ranking,
                                                                  const std::stop_token& stop) {
    if (auto superseded = endIfSuperseded(ranking.preferred())) {
        return superseded;
    }
    const SoundOutputs::List outputs = presentOutputs();
    const SoundOutput* best = outputs ? ranking.bestPresentAbove(*outputs) : nullptr;
    if (best == nullptr) {
        return std::nullopt;
    }
    const std::string name = best->name;
    const RankPlace place = ranking.placeOf(name).value_or(RankPlace{});
    if (best->isDefault) {
        logger_.info("[AirPlay] {} plays — it ranks above {}", name, ranking.preferred());
        return ReconnectResult{ReconnectResult::Status::selected, {}, name, place};
    }
    logger_.info("[AirPlay] {} is there — selecting it (ranked above {})", name,
                 ranking.preferred());
    auto result = selectOnce(name, place, stop);
    // When it cannot be selected, the preferred output is next.
    if (result && result->status == ReconnectResult::Status::notAvailable) {
        return std::nullopt;
    }
    return result;
}

std::optional<ReconnectResult> ReconnectOrchestrator::selectFromList(const OutputRanking& ranking,
                                                                     const std::stop_token& stop) {
    if (auto superseded = endIfSuperseded(ranking.preferred())) {
        return superseded;
    }
    const SoundOutputs::List outputs = presentOutputs();
    const SoundOutput* best = outputs ? ranking.bestPresentFallback(*outputs) : nullptr;
    if (best == nullptr) {
        logger_.info("[AirPlay] No output of the list is there either");
        return std::nullopt;
    }
    const std::string name = best->name;
    const RankPlace place = ranking.placeOf(name).value_or(RankPlace{});
    if (best->isDefault) {
        logger_.info("[AirPlay] {} is not there — {} plays ({} in the list)", ranking.preferred(),
                     name, ordinal(place.number));
        return ReconnectResult{ReconnectResult::Status::selected, {}, name, place};
    }
    logger_.info("[AirPlay] {} is not there — selecting {} ({} in the list)", ranking.preferred(),
                 name, ordinal(place.number));
    return selectOnce(name, place, stop);
}

std::optional<ReconnectResult> ReconnectOrchestrator::selectOnce(const std::string& name,
                                                                 RankPlace place,
                                                                 const std::stop_token& stop) {
    announceSelecting(name);
    std::string lastError;
    auto result = attempt(name, 1, 1, stop, lastError)
                      .value_or(ReconnectResult{ReconnectResult::Status::notAvailable, lastError});
    if (result.selected()) {
        result.place = place;
    }
    return result;
}

void ReconnectOrchestrator::pauseBeforeAttempt(double delay, std::size_t attempt,
                                               const std::stop_token& stop) {
    // Not-a-number fails this test and, like a non-positive delay, means no pause.
    if (!(delay > 0.0)) {
        return;
    }
    const double seconds = std::min(delay, kMaxDelaySeconds);
    logger_.info("[AirPlay] Waiting {:f}s before attempt {}", seconds, attempt);
    const auto nanoseconds = std::chrono::nanoseconds(static_cast<std::int64_t>(seconds * 1e9));
    std::stop_source cut;
    {
        std::lock_guard lock(mutex_);
        if (std::exchange(hurried_, false) || quitting_) {
            return;
        }
        pauseCut_ = cut;
    }
    // A pause cut short by a stop request or by hurry() simply ends: the attempt follows at
    // once.
    const std::stop_callback forwardStop(stop, [cut]() mutable { cut.request_stop(); });
    static_cast<void>(clock_->sleepFor(nanoseconds, cut.get_token()));
    std::lock_guard lock(mutex_);
    hurried_ = false;
}

std::optional<ReconnectResult> ReconnectOrchestrator::attempt(const std::string& deviceName,
                                                              std::size_t attempt,
                                                              std::size_t attempts,
                                                              const std::stop_token& stop,
                                                              std::string& lastError) {
    if (auto superseded = endIfSuperseded(deviceName)) {
        return superseded;
    }
    const ReconnectResult selected{ReconnectResult::Status::selected, {}, deviceName};
    logger_.info("[AirPlay] Attempt {}/{} to select {}", attempt, attempts, deviceName);
    std::exception_ptr nativeError;
    try {
        primarySelector_->selectDevice(deviceName, stop);
        logger_.info("[AirPlay] Successfully selected {} on attempt {} (native)", deviceName,
                     attempt);
        return selected;
    } catch (const AccessibilityError& error) {
        if (error.errorCase() == AccessibilityError::Case::alreadySelected) {
            logger_.info("[AirPlay] Output already selected: {}", deviceName);
            return selected;
        }
        if (auto superseded = endIfSuperseded(deviceName)) {
            return superseded;
        }
        logger_.error("[AirPlay] Native attempt {} failed: {} — trying AppleScript fallback",
                      attempt, error.errorDescription());
        nativeError = std::current_exception();
    } catch (...) {
        return attemptFailed(std::current_exception(), deviceName, attempt, attempts, lastError);
    }

    try {
        fallbackSelector_->selectDevice(deviceName, stop);
        logger_.info("[AirPlay] Successfully selected {} on attempt {} (AppleScript fallback)",
                     deviceName, attempt);
        return selected;
    } catch (...) {
        return attemptFailed(mostTellingFailure(nativeError, std::current_exception()), deviceName,
                             attempt, attempts, lastError);
    }
}

std::optional<ReconnectResult> ReconnectOrchestrator::attemptFailed(const std::exception_ptr& error,
                                                                    const std::string& deviceName,
                                                                    std::size_t attempt,
                                                                    std::size_t attempts,
                                                                    std::string& lastError) {
    // A failure that came from the cut is no failure of the output.
    if (auto superseded = endIfSuperseded(deviceName)) {
        return superseded;
    }
    const std::string message = describeError(error);
    lastError = message;
    logger_.error("[AirPlay] Attempt {}/{} failed: {}", attempt, attempts, message);
    if (isPermissionError(asAccessibilityError(error), unicode_text::lowercased(message))) {
        logger_.error("[AirPlay] Accessibility permission missing — aborting retries");
        return ReconnectResult{ReconnectResult::Status::permissionMissing, message};
    }
    return std::nullopt;
}

}  // namespace tonvera
