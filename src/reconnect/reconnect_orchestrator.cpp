#include "reconnect/reconnect_orchestrator.h"

#include <algorithm>
#include <chrono>
#include <utility>

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
                                             std::shared_ptr<LogSink> logSink)
    : logger_(makeAirPlayLogger(std::move(logSink))),
      primarySelector_(std::move(primarySelector)),
      fallbackSelector_(std::move(fallbackSelector)),
      trust_(std::move(trust)),
      clock_(std::move(clock)) {}

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

bool ReconnectOrchestrator::beginRun(const std::string& deviceName, std::vector<double>& delays) {
    if (unicode_text::isBlank(deviceName)) {
        logger_.error("[AirPlay] No device configured — skipping reconnect");
        return false;
    }
    // The refusals and the start of the run form one step, so two racing requests can never
    // both start a run.
    std::lock_guard lock(mutex_);
    if (isRunning_) {
        logger_.info("[AirPlay] Reconnect already in progress — skipping duplicate request");
        return false;
    }
    if (!trust_->isProcessTrusted()) {
        logger_.error(
            "[AirPlay] Accessibility permission missing — aborting reconnect. Please enable in "
            "System Settings → Privacy & Security → Device Control and Data Access");
        return false;
    }
    isRunning_ = true;
    delays = retryDelays_;
    logger_.info("[AirPlay] Reconnect requested for {} with {} attempts", deviceName,
                 delays.size());
    return true;
}

void ReconnectOrchestrator::endRun() {
    std::lock_guard lock(mutex_);
    isRunning_ = false;
}

void ReconnectOrchestrator::reconnect(const std::string& deviceName, const std::stop_token& stop) {
    std::vector<double> delays;
    if (!beginRun(deviceName, delays)) {
        return;
    }
    // Whatever happens below, the next request must not be refused as a duplicate.
    struct RunEnd {
        ReconnectOrchestrator* owner;
        ~RunEnd() { owner->endRun(); }
    } runEnd{this};

    const std::size_t attempts = delays.size();
    for (std::size_t index = 0; index < attempts; ++index) {
        const std::size_t number = index + 1;
        pauseBeforeAttempt(delays[index], number, stop);
        if (attempt(deviceName, number, attempts, stop) != AttemptResult::failed) {
            return;
        }
    }
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
    // A pause cut short by a stop request simply ends: the attempt follows at once.
    static_cast<void>(clock_->sleepFor(nanoseconds, stop));
}

ReconnectOrchestrator::AttemptResult ReconnectOrchestrator::attempt(const std::string& deviceName,
                                                                    std::size_t attempt,
                                                                    std::size_t attempts,
                                                                    const std::stop_token& stop) {
    logger_.info("[AirPlay] Attempt {}/{} to select {}", attempt, attempts, deviceName);
    try {
        primarySelector_->selectDevice(deviceName, stop);
        logger_.info("[AirPlay] Successfully selected {} on attempt {} (native)", deviceName,
                     attempt);
        return AttemptResult::selected;
    } catch (const AccessibilityError& error) {
        if (error.errorCase() == AccessibilityError::Case::alreadySelected) {
            logger_.info("[AirPlay] Output already selected: {}", deviceName);
            return AttemptResult::selected;
        }
        logger_.error("[AirPlay] Native attempt {} failed: {} — trying AppleScript fallback",
                      attempt, error.errorDescription());
    } catch (...) {
        return attemptFailed(std::current_exception(), deviceName, attempt, attempts);
    }

    try {
        fallbackSelector_->selectDevice(deviceName, stop);
        logger_.info("[AirPlay] Successfully selected {} on attempt {} (AppleScript fallback)",
                     deviceName, attempt);
        return AttemptResult::selected;
    } catch (...) {
        return attemptFailed(std::current_exception(), deviceName, attempt, attempts);
    }
}

ReconnectOrchestrator::AttemptResult ReconnectOrchestrator::attemptFailed(
    const std::exception_ptr& error, const std::string& deviceName, std::size_t attempt,
    std::size_t attempts) {
    const std::string message = describeError(error);
    logger_.error("[AirPlay] Attempt {}/{} failed: {}", attempt, attempts, message);
    if (isPermissionError(asAccessibilityError(error), unicode_text::lowercased(message))) {
        logger_.error("[AirPlay] Accessibility permission missing — aborting retries");
        return AttemptResult::permissionLost;
    }
    if (attempt == attempts) {
        logger_.error(
            "[AirPlay] AirPlay device \"{}\" not available after {} attempts. Waiting for next "
            "wake event.",
            deviceName, attempts);
    }
    return AttemptResult::failed;
}

}  // namespace tonvera
