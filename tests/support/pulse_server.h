#pragma once

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "platform/linux/posix_process_launcher.h"
#include "support/child_process.h"
#include "support/temporary_directory.h"

namespace tonvera::testing {

// Which server speaks the PulseAudio protocol to the code under test.
enum class SoundServerKind { pulseAudio, pipeWire };

// For parameterised tests: ".../PulseAudio" and ".../PipeWire".
inline std::string soundServerName(const ::testing::TestParamInfo<SoundServerKind>& info) {
    return info.param == SoundServerKind::pulseAudio ? "PulseAudio" : "PipeWire";
}

// A private sound server for one test: PulseAudio, or PipeWire with WirePlumber and
// pipewire-pulse on a session bus of its own. Home, configuration, state and runtime folders
// lie in a temporary directory, so nothing of the user's is read or changed. Three null sinks
// ("Arbeitszimmer", "Wohnzimmer" the default, "Küche Radio") are loaded through the protocol,
// as a test loads more. Every process is run in the foreground and stopped by its identifier.
class PulseServer {
  public:
    explicit PulseServer(SoundServerKind kind = SoundServerKind::pulseAudio) : kind_(kind) {
        const auto root = directory_.path();
        std::filesystem::create_directories(root / "runtime");
        std::filesystem::permissions(root / "runtime", std::filesystem::perms::owner_all);
        if (kind_ == SoundServerKind::pulseAudio) {
            std::ofstream(root / "server.pa")
                << "load-module module-native-protocol-unix auth-anonymous=1 socket=" << socket()
                << "\n";
        } else {
            bus_ = std::make_unique<ChildProcess>(
                quiet({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1",
                       "--address=unix:path=" + (root / "bus").string()}));
            busAddress_ = bus_->readLine();
        }
        start();
    }

    std::string address() const { return "unix:" + socket(); }

    void start() {
        if (kind_ == SoundServerKind::pulseAudio) {
            const std::string home = directory_.path().string();
            processes_.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{
                "/usr/bin/env", "HOME=" + home, "XDG_RUNTIME_DIR=" + home,
                "XDG_CONFIG_HOME=" + home, "PULSE_STATE_PATH=" + home + "/state",
                "PULSE_RUNTIME_PATH=" + home + "/runtime", "/usr/bin/pulseaudio", "--daemonize=no",
                "--exit-idle-time=-1", "-n", "-F", home + "/server.pa",
                "--log-target=file:" + home + "/server.log"}));
        } else {
            const auto launch = [&](const std::string& program) {
                processes_.push_back(
                    std::make_unique<ChildProcess>(quiet({"/usr/bin/" + program}), environment()));
            };
            launch("pipewire");
            // WirePlumber gives up at once when PipeWire does not answer yet.
            if (!poll([&] { return pipeWireCli({"info", "0"}); })) {
                throw std::runtime_error("the private PipeWire did not start");
            }
            launch("wireplumber");
            launch("pipewire-pulse");
        }
        // Ready once it answers; a fresh server needs a moment to open its socket.
        if (!poll([&] { return pactl({"info"}).exitStatus == 0; })) {
            throw std::runtime_error("the private sound server did not start");
        }
        for (const auto& [name, description] :
             {std::pair{"arbeitszimmer", "Arbeitszimmer"}, std::pair{"wohnzimmer", "Wohnzimmer"},
              std::pair{"kueche", "Küche Radio"}}) {
            if (!loadSink(name, description)) {
                throw std::runtime_error("the private sound server refused a null sink");
            }
        }
        // A WirePlumber that has only just started may not have taken the choice yet, or may
        // still replace it with the one it chose itself: asked again until it holds.
        if (!poll([&] {
                if (defaultSink() == "wohnzimmer") {
                    return true;
                }
                pactl({"set-default-sink", "wohnzimmer"});
                return false;
            })) {
            throw std::runtime_error("the private sound server kept the default " + defaultSink() +
                                     "; its log:\n" + readFile(directory_.path() / "server.log"));
        }
    }

    // Stops what `start` started, the server last.
    void stop() {
        while (!processes_.empty()) {
            processes_.pop_back();
        }
    }

    ~PulseServer() { stop(); }

    // A null sink with more `properties` when given; false when the server refused it. The
    // description is in quotes within quotes, or pipewire-pulse would end it at a space.
    bool loadSink(const std::string& name, const std::string& description,
                  const std::string& properties = {}) {
        modules_[name] = firstLine(pactl(
            {"load-module", "module-null-sink", "sink_name=" + name,
             "sink_properties=\"device.description='" + description + "'" + properties + "\""}));
        return !modules_[name].empty();
    }
    void unloadSink(const std::string& name) { pactl({"unload-module", modules_.at(name)}); }

    // A null sink with any description; on PipeWire one of PipeWire's own.
    bool addSink(const std::string& name, const std::string& description) {
        if (kind_ == SoundServerKind::pulseAudio) {  // a quote is escaped in module arguments
            return loadSink(name, std::regex_replace(description, std::regex("\""), "\\\""));
        }
        return pipeWireSink(name, description, "");
    }

    // A null sink as the server's Bluetooth support makes one for the device at `address`
    // ("AA:BB:CC:DD:EE:FF"): on PulseAudio named after it with its address and BlueZ object in
    // the properties, on PipeWire a node of the bluez5 API.
    bool addBluetoothSink(const std::string& address, const std::string& description) {
        const std::string underscored = std::regex_replace(address, std::regex(":"), "_");
        if (kind_ == SoundServerKind::pulseAudio) {
            return loadSink("bluez_sink." + underscored + ".a2dp_sink", description,
                            " device.api=bluez device.string=" + address +
                                " bluez.path=/org/bluez/hci0/dev_" + underscored);
        }
        return pipeWireSink(
            "bluez_output." + underscored + ".1", description,
            " device.api=bluez5 api.bluez5.address=" + nlohmann::json(address).dump());
    }

    std::string runtimeDirectory() const { return (directory_.path() / "runtime").string(); }

    ProcessResult pactl(const std::vector<std::string>& arguments) const {
        std::vector<std::string> all{"--server=" + address()};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return PosixProcessLauncher().run("/usr/bin/pactl", all, std::chrono::seconds(10), {});
    }

    std::string defaultSink() const { return firstLine(pactl({"get-default-sink"})); }
    bool becomesDefault(const std::string& sink) const {
        return poll([&] { return defaultSink() == sink; });
    }

    // `pactl list <what>` ("sinks", "clients", …) as JSON.
    nlohmann::json list(const std::string& what) const {
        return nlohmann::json::parse(pactl({"--format=json", "list", what}).standardOutput);
    }

    // The process that answers the PulseAudio protocol.
    pid_t pid() const { return processes_.back()->pid(); }

    // PipeWire only: the session manager stalls while a client tries to connect and gives up,
    // as on a loaded machine. pipewire-pulse 0.3.65 stops telling long-lived clients of
    // default changes from then on.
    void stallSessionManager() const {
        ::kill(processes_[1]->pid(), SIGSTOP);
        PosixProcessLauncher().run("/usr/bin/pactl", {"--server=" + address(), "info"},
                                   std::chrono::seconds(1), {});
        ::kill(processes_[1]->pid(), SIGCONT);
    }

    // Asks `done` every 20 ms for at most 5 s.
    template <typename Check>
    static bool poll(Check done) {
        for (int i = 0; i < 250; ++i) {
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

  private:
    static std::string firstLine(const ProcessResult& result) {
        return result.standardOutput.substr(0, result.standardOutput.find('\n'));
    }

    std::string socket() const {
        return (directory_.path() /
                (kind_ == SoundServerKind::pulseAudio ? "native" : "runtime/pulse/native"))
            .string();
    }

    // PipeWire's pw-cli in the server's environment; true when it succeeded.
    bool pipeWireCli(const std::vector<std::string>& arguments) const {
        auto command = environment();
        command.insert(command.begin(), "-i");
        command.emplace_back("/usr/bin/pw-cli");
        command.insert(command.end(), arguments.begin(), arguments.end());
        return PosixProcessLauncher()
                   .run("/usr/bin/env", command, std::chrono::seconds(10), {})
                   .exitStatus == 0;
    }

    // PipeWire's own null sink, which outlives its PulseAudio service; the description goes in
    // as JSON, which PipeWire's object syntax reads.
    bool pipeWireSink(const std::string& name, const std::string& description,
                      const std::string& properties) const {
        return pipeWireCli({"create-node", "adapter",
                            "{ factory.name=support.null-audio-sink media.class=Audio/Sink "
                            "object.linger=true audio.position=[FL FR] node.name=" +
                                name + " node.description=" + nlohmann::json(description).dump() +
                                properties + " }"});
    }

    // The command with its standard error in a log file beside the server's folders.
    std::vector<std::string> quiet(std::vector<std::string> command) const {
        command.insert(command.begin(), {"/bin/sh", "-c", "exec \"$@\" 2>>\"$0\"",
                                         (directory_.path() / "server.log").string()});
        return command;
    }

    std::vector<std::string> environment() const {
        const std::string root = directory_.path().string();
        return {"PATH=/usr/bin:/bin", "HOME=" + root, "XDG_RUNTIME_DIR=" + root + "/runtime",
                "XDG_CONFIG_HOME=" + root + "/config", "XDG_STATE_HOME=" + root + "/state",
                "DBUS_SESSION_BUS_ADDRESS=" + busAddress_,
                // Nothing of the machine's: no system bus, so no device reservation or rtkit.
                "DBUS_SYSTEM_BUS_ADDRESS=" + busAddress_};
    }

    SoundServerKind kind_;
    TemporaryDirectory directory_;
    std::unique_ptr<ChildProcess> bus_;
    std::string busAddress_;
    std::vector<std::unique_ptr<ChildProcess>> processes_;
    std::map<std::string, std::string> modules_;  // sink name to module number
};

}  // namespace tonvera::testing
