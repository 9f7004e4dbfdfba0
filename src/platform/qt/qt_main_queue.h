#pragma once

#include <memory>

#include "platform/logger.h"
#include "platform/main_queue.h"

class QObject;

namespace tonvera {

// The main queue over Qt's event loop. Create it on the main thread once the application
// object exists; post from any thread. After stop() nothing posted runs any more, so blocks
// that arrive while the application shuts down never touch what is being torn down.
class QtMainQueue final : public MainQueue {
  public:
    explicit QtMainQueue(std::shared_ptr<LogSink> logSink);
    ~QtMainQueue() override;

    QtMainQueue(const QtMainQueue&) = delete;
    QtMainQueue& operator=(const QtMainQueue&) = delete;

    void post(Block block) override;
    void postAfter(std::chrono::nanoseconds delay, Block block) override;

    // Drops what is queued and everything posted later. Idempotent.
    void stop();

    struct State;

  private:
    std::shared_ptr<State> state_;
};

}  // namespace tonvera
