#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/posix_process_launcher.h"
#include "support/child_process.h"
#include "support/temporary_directory.h"

namespace tonvera::testing {

// A private PulseAudio server for one test: its own socket, state and runtime folders in a
// temporary directory, three null sinks ("Arbeitszimmer", "Wohnzimmer", "Küche Radio"), run
// in the foreground and stopped by its process identifier.
class PulseServer {
  public:
    PulseServer() {
        std::ofstream(directory_.path() / "server.pa")
            << "load-module module-native-protocol-unix auth-anonymous=1 socket=" << socket()
            << "\n"
            << "load-module module-null-sink sink_name=arbeitszimmer "
               "sink_properties=\"device.description='Arbeitszimmer'\"\n"
            << "load-module module-null-sink sink_name=wohnzimmer "
               "sink_properties=\"device.description='Wohnzimmer'\"\n"
            << "load-module module-null-sink sink_name=kueche "
               "sink_properties=\"device.description='Küche Radio'\"\n";
        start();
    }

    std::string address() const { return "unix:" + socket(); }

    void start() {
        const std::string home = directory_.path().string();
        process_ = std::make_unique<ChildProcess>(std::vector<std::string>{
            "/usr/bin/env", "HOME=" + home, "XDG_RUNTIME_DIR=" + home, "XDG_CONFIG_HOME=" + home,
            "PULSE_STATE_PATH=" + home + "/state", "PULSE_RUNTIME_PATH=" + home + "/runtime",
            "/usr/bin/pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "-F",
            home + "/server.pa", "--log-target=file:" + home + "/server.log"});
        // Ready once it answers; a fresh server needs a moment to open its socket.
        for (int i = 0; i < 100; ++i) {
            if (pactl({"info"}).exitStatus == 0) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        throw std::runtime_error("the private PulseAudio server did not start");
    }

    void stop() { process_.reset(); }

    ProcessResult pactl(const std::vector<std::string>& arguments) const {
        std::vector<std::string> all{"--server=" + address()};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return PosixProcessLauncher().run("/usr/bin/pactl", all, std::chrono::seconds(10), {});
    }

    std::string defaultSink() const {
        std::string name = pactl({"get-default-sink"}).standardOutput;
        while (!name.empty() && name.back() == '\n') {
            name.pop_back();
        }
        return name;
    }

    pid_t pid() const { return process_->pid(); }

  private:
    std::string socket() const { return (directory_.path() / "native").string(); }

    TemporaryDirectory directory_;
    std::unique_ptr<ChildProcess> process_;
};

}  // namespace tonvera::testing
