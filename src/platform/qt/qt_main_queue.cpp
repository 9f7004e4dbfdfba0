#include "platform/qt/qt_main_queue.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <climits>
#include <exception>
#include <mutex>

namespace tonvera {

// Shared with every queued block: a block that runs after stop() finds `stopped` set.
struct QtMainQueue::State {
    std::mutex mutex;
    QObject* context = nullptr;  // lives on the main thread; null once stopped
    std::atomic<bool> stopped = false;
    Logger logger;

    explicit State(Logger log) : logger(std::move(log)) {}

    void run(const Block& block) const {
        if (stopped.load()) {
            return;
        }
        // An exception must not unwind through Qt's event loop, which cannot handle it.
        try {
            block();
        } catch (const std::exception& error) {
            logger.error("A main-queue block failed: {}", error.what());
        } catch (...) {
            logger.error("A main-queue block failed with an unknown exception");
        }
    }
};

QtMainQueue::QtMainQueue(std::shared_ptr<LogSink> logSink)
    : state_(
          std::make_shared<State>(Logger(std::move(logSink), std::string(kLogSubsystem), "App"))) {
    state_->context = new QObject();
}

QtMainQueue::~QtMainQueue() {
    stop();
}

void QtMainQueue::stop() {
    QObject* context = nullptr;
    {
        std::lock_guard lock(state_->mutex);
        state_->stopped = true;
        context = std::exchange(state_->context, nullptr);
    }
    // Deleting the context discards its queued calls and pending timers.
    if (context != nullptr) {
        if (QThread::currentThread() == context->thread()) {
            delete context;
        } else {
            context->deleteLater();
        }
    }
}

void QtMainQueue::post(Block block) {
    std::lock_guard lock(state_->mutex);
    if (state_->context == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        state_->context, [state = state_, block = std::move(block)] { state->run(block); },
        Qt::QueuedConnection);
}

void QtMainQueue::postAfter(std::chrono::nanoseconds delay, Block block) {
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(
                                  std::max(delay, std::chrono::nanoseconds::zero()))
                                  .count();
    const int interval = static_cast<int>(std::min<long long>(milliseconds, INT_MAX));
    // Timers belong to the thread that starts them: start it on the main thread. A precise
    // timer, because Qt's default lets a 2-second timer drift by 100 ms.
    post([state = state_, interval, block = std::move(block)]() mutable {
        std::lock_guard lock(state->mutex);
        if (state->context == nullptr) {
            return;
        }
        QTimer::singleShot(interval, Qt::PreciseTimer, state->context,
                           [state, block = std::move(block)] { state->run(block); });
    });
}

}  // namespace tonvera
