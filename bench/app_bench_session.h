#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/pulse_server.h"
#include "support/temporary_directory.h"

namespace tonvera::bench {

using testing::SoundServerKind;

inline const char* serverName(SoundServerKind kind) {
    return kind == SoundServerKind::pulseAudio ? "PulseAudio" : "PipeWire";
}

// The real application's surroundings for a benchmark: a private sound server (PulseAudio, or
// PipeWire with WirePlumber and pipewire-pulse) with its three null sinks, a private session
// bus, and a home of its own with the settings the benchmark writes. No display: Qt draws
// offscreen, as in the integration tests.
class AppBenchSession {
  public:
    explicit AppBenchSession(SoundServerKind kind) : pulse(kind) {
        std::filesystem::create_directories(home.path() / "runtime");
        std::filesystem::permissions(home.path() / "runtime", std::filesystem::perms::owner_all);
    }

    // `json` replaces the whole settings file.
    void writeSettings(const std::string& json) const {
        std::filesystem::create_directories(home.path() / "config/tonvera");
        std::ofstream(home.path() / "config/tonvera/settings.json") << json;
    }

    std::vector<std::string> environment() const {
        const std::string root = home.path().string();
        return {"HOME=" + root, "PATH=/usr/bin:/bin", "QT_QPA_PLATFORM=offscreen", "LANG=C.UTF-8",
                "PULSE_SERVER=" + pulse.address(), "DBUS_SESSION_BUS_ADDRESS=" + busAddress,
                "DBUS_SYSTEM_BUS_ADDRESS=" + busAddress, "XDG_CONFIG_HOME=" + root + "/config",
                "XDG_RUNTIME_DIR=" + root + "/runtime",
                // The update check, 10 s in, must not leave this machine: a proxy that refuses.
                "https_proxy=http://127.0.0.1:9"};
    }

    testing::TemporaryDirectory home;
    testing::PulseServer pulse;
    testing::ChildProcess bus{
        {"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"}};
    std::string busAddress = bus.readLine();
};

}  // namespace tonvera::bench
