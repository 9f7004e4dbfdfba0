#pragma once

#include <memory>

class QSocketNotifier;

namespace tonvera {

// Turns SIGTERM, SIGINT and SIGHUP into a quit of the Qt event loop, so a session that ends
// or a Ctrl+C in the terminal runs the same termination as the Quit entry. Only one may exist.
class TerminationSignals {
  public:
    TerminationSignals();
    ~TerminationSignals();

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Whether the handlers are installed (they are not when no pipe could be made).
    bool installed() const { return notifier_ != nullptr; }

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tonvera
