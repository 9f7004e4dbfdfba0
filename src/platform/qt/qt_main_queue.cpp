#include "platform/qt/qt_main_queue.h"

#include <QObject>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <climits>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>

#include <sys/eventfd.h>
#include <unistd.h>

namespace tonvera {

// Shared with every queued block: a block that runs after stop() finds `stopped` set.
//
// Blocks from other threads wait in our own list, guarded by our own mutex, and an eventfd
// wakes the main thread's event loop to run them. Handing them over as Qt queued calls would
// work as well, but the hand-over would then happen inside Qt's locks, which a thread
// sanitizer cannot see, and every post from the pool would read as a race.
struct QtMainQueue::State {
    std::mutex mutex;
    QObject* context = nullptr;  // lives on the main thread; null once stopped
    std::atomic<bool> stopped = false;
    std::deque<Block> pending;
    int wakeFd = -1;
    Logger logger;

    explicit State(Logger log) : logger(std::move(log)) {}
    ~State() {
        if (wakeFd >= 0) {
            ::close(wakeFd);
        }
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // Main thread: runs what was posted, in order; blocks posted meanwhile wake it again.
    void drain() {
        std::uint64_t count = 0;
        // Reading resets the count; an empty eventfd (EAGAIN) just means nothing new.
        [[maybe_unused]] const ssize_t got = ::read(wakeFd, &count, sizeof count);
        std::deque<Block> blocks;
        {
            std::lock_guard lock(mutex);
            blocks.swap(pending);
        }
        for (const auto& block : blocks) {
            run(block);
        }
    }

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
    state_->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (state_->wakeFd < 0) {
        state_->logger.error("The main queue cannot wake the event loop: eventfd failed");
        return;
    }
    auto* notifier = new QSocketNotifier(state_->wakeFd, QSocketNotifier::Read, state_->context);
    // Owned by the context, which stop() deletes: the notifier's hold on the state ends there.
    QObject::connect(notifier, &QSocketNotifier::activated, state_->context,
                     [state = state_] { state->drain(); });
}

QtMainQueue::~QtMainQueue() {
    stop();
}

void QtMainQueue::stop() {
    QObject* context = nullptr;
    // Dropped outside the lock: a block's captures may post as they go.
    std::deque<Block> dropped;
    {
        std::lock_guard lock(state_->mutex);
        state_->stopped = true;
        context = std::exchange(state_->context, nullptr);
        dropped.swap(state_->pending);
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
    if (state_->context == nullptr || state_->wakeFd < 0) {
        return;
    }
    state_->pending.push_back(std::move(block));
    const std::uint64_t one = 1;
    // Only a count at its maximum could refuse, and that still wakes the loop.
    [[maybe_unused]] const ssize_t wrote = ::write(state_->wakeFd, &one, sizeof one);
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
