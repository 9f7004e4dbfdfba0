#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/desktop_readiness.h"

namespace tonvera {

// Asks the running desktop directly: the session bus's StatusNotifier watcher and the X
// server's tray selection for the tray, a short libpulse connection for the sound server, and
// a ping on the system bus. Each look gives up after `bound`, counted from its start: a bus
// that accepts the connection and never says a word costs no more than one that answers.
class LinuxDesktopReadiness final : public DesktopReadiness {
  public:
    struct Options {
        std::chrono::milliseconds bound{800};
        // A libpulse server address; the user's usual server when absent.
        std::optional<std::string> soundServer;
        // D-Bus addresses; the session's and the system's own buses when absent.
        std::optional<std::string> sessionBus;
        std::optional<std::string> systemBus;
    };

    explicit LinuxDesktopReadiness(Options options) : options_(std::move(options)) {}

    bool trayHostPresent() override;
    bool soundServerAnswers() override;
    bool systemBusReachable() override;

  private:
    bool statusNotifierHostRegistered() const;
    static bool xembedTrayOwned();

    Options options_;
};

}  // namespace tonvera
