#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/accessibility.h"
#include "platform/keyboard_events.h"
#include "platform/logger.h"
#include "platform/running_applications.h"

namespace tonvera {

class PulseConnection;

// The Sound menu on a Linux desktop, backed by the sound server (PulseAudio, or PipeWire with
// its PulseAudio interface) and presented through the accessibility interface the selectors
// use: the three host processes are running while the server can be reached; the Sound item
// sits in the first; pressing it opens the menu, whose ControlCenter window holds one
// checkbox per sink, in the server's order, named "sound-device-" + the sink's description
// and valued 1 for the default sink. Pressing a checkbox makes that sink the default and
// moves the playing streams to it; Escape closes the menu. Every request to the server is
// bounded in time.
class PulseSoundMenu final : public Accessibility,
                             public RunningApplications,
                             public KeyboardEvents {
  public:
    struct Options {
        // A libpulse server address; nothing means the user's usual server.
        std::optional<std::string> server;
        std::chrono::milliseconds timeout = std::chrono::seconds(2);
    };

    PulseSoundMenu(Options options, std::shared_ptr<LogSink> logSink);
    ~PulseSoundMenu() override;

    PulseSoundMenu(const PulseSoundMenu&) = delete;
    PulseSoundMenu& operator=(const PulseSoundMenu&) = delete;

    bool isProcessTrusted() const override;
    AXElementHandle applicationElement(std::int32_t processIdentifier) override;
    AXError copyAttributeValue(const AXElementHandle& element, std::string_view attribute,
                               std::optional<AXAttributeValue>& value) override;
    AXError performAction(const AXElementHandle& element, std::string_view action) override;

    std::vector<RunningApplication> runningApplications() override;

    std::unique_ptr<KeyboardEvent> createKeyboardEvent(std::uint16_t keyCode,
                                                       bool keyDown) override;
    void post(const KeyboardEvent& event) override;

    bool isMenuOpen() const;

  private:
    // The live connection, connecting anew when there is none; null when the server cannot be
    // reached. Called with `mutex_` held.
    PulseConnection* connection();
    void dropConnection(const std::string& reason);

    Options options_;
    Logger logger_;
    mutable std::mutex mutex_;
    std::unique_ptr<PulseConnection> connection_;
    bool reportedUnreachable_ = false;
    std::chrono::steady_clock::time_point retryAfter_{};
    bool menuOpen_ = false;
    bool escapeDown_ = false;
};

}  // namespace tonvera
