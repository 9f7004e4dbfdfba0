// The real application following the outputs, on PulseAudio and PipeWire, timed from what
// happens to the sound server's new default:
// - the speaker coming back under a new internal name, as network speakers do, with
//   "connectWhenSpeakerAppears" on (so no wake run is in the way);
// - the same while an entry of the list plays (switching up);
// - an output that is on no list appearing and being made the default by the server, with
//   "keepSoundFromNewOutputs" on (back to the list's entry);
// - headphones ranked above the speaker being plugged in;
// - an output picked by hand coming back from a blink under a new internal name, which the
//   server does not make the default again;
// - a wake, with the speaker there and another output playing;
// - a wake on a system bus with a mock BlueZ, until Bluetooth is asked to connect the speaker,
//   a paired box that did not reconnect;
// - that box's sink appearing once Bluetooth connected it.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

#include "app_bench_session.h"
#include "support/app_process.h"
#include "support/bus_signal.h"
#include "support/mock_system_bus.h"

namespace tonvera::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The Sound menu is given this long to open before the press that switches the default.
constexpr double kWaitBeforePressMs = 700;
// A wake is followed by this pause before its run starts.
constexpr double kWakePauseMs = 1000;

// When the server reports `sink` as its default: the moment `pactl subscribe` prints the
// server change that made it so (checked with `pactl get-default-sink`, after the time is
// taken). Nothing when it did not happen within 10 s.
std::optional<Clock::time_point> whenDefault(const testing::ChildProcess& events,
                                             const testing::PulseServer& pulse,
                                             const std::string& sink) {
    const std::jthread watchdog([&events](const std::stop_token& stop) {
        std::mutex mutex;
        std::condition_variable_any woken;
        std::unique_lock lock(mutex);
        woken.wait_for(lock, stop, 10s, [] { return false; });
        if (!stop.stop_requested()) {
            events.signal(SIGKILL);  // ends the reading below
        }
    });
    while (const auto line = events.nextLine()) {
        if (line->find("'change' on server") == std::string::npos) {
            continue;
        }
        const auto at = Clock::now();
        if (pulse.defaultSink() == sink) {
            return at;
        }
    }
    return std::nullopt;
}

// Times the rounds: each makes the server's change, sets when the timing starts, and names the
// sink that must become the default; `undo` puts things back, out of the timing, without a
// default picked by hand (which Tonvera would leave alone from then on).
struct Scenario {
    std::string settings;
    std::string initialDefault;
    std::function<std::string(AppBenchSession&, std::size_t, Clock::time_point&)> round;
    std::string done;  // the log line of the selection that ends a round
    std::function<void(AppBenchSession&, std::size_t)> undo;
    // The waits the behaviour requires before the switch.
    double mandatedMs = kWaitBeforePressMs;
    bool speakerAway = true;  // gone while the computer slept
    // What the application says when it is ready for the first round.
    std::string ready = "Watching the sound outputs";
    // Run once the application is ready, before the first round.
    std::function<void(AppBenchSession&)> prepare = [](AppBenchSession&) {};
};

void measure(benchmark::State& state, const Scenario& scenario) {
    const auto kind = static_cast<SoundServerKind>(state.range(0));
    state.SetLabel(serverName(kind));
    AppBenchSession session(kind);
    if (scenario.speakerAway) {
        session.pulse.unloadSink("arbeitszimmer");
    }
    session.writeSettings(scenario.settings);
    session.pulse.pactl({"set-default-sink", scenario.initialDefault});
    testing::AppProcess app(TONVERA_BINARY, session.environment());
    if (!app.waitForLine(scenario.ready, 10s)) {
        state.SkipWithError("the application did not get ready");
        return;
    }
    std::this_thread::sleep_for(500ms);  // the first list, which is no appearance, is in
    scenario.prepare(session);
    std::vector<double> samples;
    for (auto _ : state) {
        const testing::ChildProcess events(
            {"/usr/bin/pactl", "--server=" + session.pulse.address(), "subscribe"});
        std::this_thread::sleep_for(200ms);  // subscribed before anything happens
        auto started = Clock::now();
        const std::string sink = scenario.round(session, samples.size(), started);
        const auto selected = whenDefault(events, session.pulse, sink);
        if (!selected) {
            std::fputs(app.output().c_str(), stderr);
            std::fprintf(stderr, "the default is %s, not %s\n", session.pulse.defaultSink().c_str(),
                         sink.c_str());
            state.SkipWithError("the output was not selected within 10 s");
            return;
        }
        const double seconds = std::chrono::duration<double>(*selected - started).count();
        samples.push_back(1000 * seconds);
        state.SetIterationTime(seconds);
        // The selection verifies and closes the menu after the switch; then things go back,
        // out of the timing.
        app.waitForLine(scenario.done, 5s, samples.size());
        scenario.undo(session, samples.size() - 1);
        std::this_thread::sleep_for(300ms);
    }
    std::ranges::sort(samples);
    const double median = (samples[(samples.size() - 1) / 2] + samples[samples.size() / 2]) / 2;
    state.counters["median_ms"] = median;
    state.counters["worst_ms"] = samples.back();
    state.counters["best_ms"] = samples.front();
    state.counters["median_above_waits_ms"] = median - scenario.mandatedMs;
    state.counters["worst_above_waits_ms"] = samples.back() - scenario.mandatedMs;
}

std::string roundName(const char* prefix, std::size_t round) {
    return prefix + std::string(round < 10 ? "0" : "") + std::to_string(round);
}

// The speaker comes back; the round ends when it is selected.
std::string speakerBack(AppBenchSession& session, std::size_t round, Clock::time_point& from) {
    std::string name = roundName("raop_sink.round", round);
    session.pulse.loadSink(name, "Arbeitszimmer");
    from = Clock::now();
    return name;
}

// The speaker leaves: the server, or the list, picks what plays next.
void speakerGoes(AppBenchSession& session, std::size_t round) {
    session.pulse.unloadSink(roundName("raop_sink.round", round));
    std::this_thread::sleep_for(1500ms);  // the list's entry is selected again meanwhile
}

void appearanceToSelected(benchmark::State& state) {
    measure(state, Scenario{
                       R"({"hasCompletedOnboarding": true, "launchAtLoginAsked": true,
                           "launchAtLogin": false, "connectAutomaticallyAtLogin": false,
                           "connectWhenSpeakerAppears": true})",
                       "wohnzimmer",
                       speakerBack,
                       "Successfully selected Arbeitszimmer on attempt",
                       speakerGoes,
                   });
}

void appearanceToSwitchedUp(benchmark::State& state) {
    measure(state, Scenario{
                       R"({"hasCompletedOnboarding": true, "launchAtLoginAsked": true,
                           "launchAtLogin": false, "connectAutomaticallyAtLogin": false,
                           "connectWhenSpeakerAppears": true,
                           "fallbackAudioOutputs": ["Küche Radio"]})",
                       "kueche",
                       speakerBack,
                       "Successfully selected Arbeitszimmer on attempt",
                       speakerGoes,
                   });
}

void newOutputToBack(benchmark::State& state) {
    measure(state, Scenario{
                       R"({"hasCompletedOnboarding": true, "launchAtLoginAsked": true,
                           "launchAtLogin": false, "connectAutomaticallyAtLogin": false,
                           "keepSoundFromNewOutputs": true,
                           "fallbackAudioOutputs": ["Wohnzimmer"]})",
                       "wohnzimmer",
                       [](AppBenchSession& session, std::size_t round, Clock::time_point& from) {
                           // A monitor wakes and the server's switch-on-connect hands it the
                           // sound; the time runs from the switch.
                           const std::string name = roundName("hdmi.round", round);
                           session.pulse.loadSink(name, "HDMI");
                           from = Clock::now();
                           session.pulse.pactl({"set-default-sink", name});
                           return std::string("wohnzimmer");
                       },
                       "Successfully selected Wohnzimmer on attempt",
                       [](AppBenchSession& session, std::size_t round) {
                           session.pulse.unloadSink(roundName("hdmi.round", round));
                       },
                   });
}

// Each round plugs in a sink `description` under a new name from `prefix`, with more sink
// `properties`; the round ends when it is selected, and it is unplugged after.
Scenario plugInEachRound(std::string settings, const std::string& prefix,
                         const std::string& description, const std::string& properties = {}) {
    const std::string done = "Successfully selected " + description + " on attempt";
    return Scenario{
        std::move(settings),
        "wohnzimmer",
        [=](AppBenchSession& session, std::size_t round, Clock::time_point& from) {
            std::string name = roundName(prefix.c_str(), round);
            session.pulse.loadSink(name, description, properties);
            from = Clock::now();
            return name;
        },
        done,
        [prefix](AppBenchSession& session, std::size_t round) {
            session.pulse.unloadSink(roundName(prefix.c_str(), round));
            std::this_thread::sleep_for(1500ms);  // what plays next is selected meanwhile
        },
    };
}

// A Bluetooth speaker that Bluetooth reconnected: its sink carries the device's address and
// API, as the server's Bluetooth support makes it.
void bluetoothAppearsToSelected(benchmark::State& state) {
    measure(state, plugInEachRound(
                       R"({"hasCompletedOnboarding": true, "launchAtLoginAsked": true,
                           "launchAtLogin": false, "connectAutomaticallyAtLogin": false,
                           "connectWhenSpeakerAppears": true,
                           "bluetoothOutputAddresses": {"Arbeitszimmer": "AA:BB:CC:DD:EE:FF"}})",
                       "bluez_sink.AA_BB_CC_DD_EE_FF.", "Arbeitszimmer",
                       " device.api=bluez device.string=AA:BB:CC:DD:EE:FF"
                       " api.bluez5.address=AA:BB:CC:DD:EE:FF"));
}

void aboveAppearsToSelected(benchmark::State& state) {
    measure(state, plugInEachRound(
                       R"({"hasCompletedOnboarding": true, "launchAtLoginAsked": true,
                           "launchAtLogin": false, "connectAutomaticallyAtLogin": false,
                           "priorityAudioOutputs": ["Kopfhörer"]})",
                       "usb.headphones", "Kopfhörer"));
}

void pickedReturnsToSelected(benchmark::State& state) {
    Scenario scenario{
        R"({"hasCompletedOnboarding": true, "launchAtLoginAsked": true,
            "launchAtLogin": false, "connectAutomaticallyAtLogin": false,
            "connectWhenSpeakerAppears": true})",
        "wohnzimmer",
        [](AppBenchSession& session, std::size_t round, Clock::time_point& from) {
            // A blink: gone for a second, back under a new internal name.
            session.pulse.unloadSink(round == 0 ? "kueche" : roundName("kueche.round", round - 1));
            std::this_thread::sleep_for(1s);
            std::string name = roundName("kueche.round", round);
            session.pulse.loadSink(name, "Küche Radio");
            from = Clock::now();
            return name;
        },
        "Successfully selected Küche Radio on attempt",
        [](AppBenchSession&, std::size_t) {},
    };
    // Picked by hand once the application watches.
    scenario.prepare = [](AppBenchSession& session) {
        session.pulse.pactl({"set-default-sink", "kueche"});
        std::this_thread::sleep_for(500ms);
    };
    measure(state, scenario);
}

void wakeToSelected(benchmark::State& state) {
    Scenario scenario{
        R"({"hasCompletedOnboarding": true, "launchAtLoginAsked": true,
            "launchAtLogin": false, "connectAutomaticallyAtLogin": false})",
        "wohnzimmer",
        [](AppBenchSession& session, std::size_t, Clock::time_point& from) {
            from = Clock::now();
            testing::emitSignalAs(session.busAddress, "org.freedesktop.ScreenSaver",
                                  "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
                                  "ActiveChanged", false);
            return std::string("arbeitszimmer");
        },
        "Successfully selected Arbeitszimmer on attempt",
        [](AppBenchSession& session, std::size_t) {
            std::this_thread::sleep_for(500ms);  // the run verifies and closes the menu
            session.pulse.pactl({"set-default-sink", "wohnzimmer"});
        },
    };
    scenario.mandatedMs = kWakePauseMs + kWaitBeforePressMs;
    scenario.speakerAway = false;
    scenario.ready = "Connect at login disabled";
    measure(state, scenario);
}

// Each scenario on PulseAudio and on PipeWire, timed by hand in milliseconds.
void onBothServers(benchmark::internal::Benchmark* scenario) {
    scenario->ArgName("server")
        ->Arg(static_cast<int>(SoundServerKind::pulseAudio))
        ->Arg(static_cast<int>(SoundServerKind::pipeWire))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

// From the login manager's wake on the system bus until BlueZ is asked to connect the speaker.
// The mandated part is the wake's pause and Bluetooth's own resume delay before the ask.
void wakeToBluetoothConnect(benchmark::State& state) {
    const auto kind = static_cast<SoundServerKind>(state.range(0));
    state.SetLabel(serverName(kind));
    constexpr const char* kBox = "AA:BB:CC:DD:EE:FF";
    AppBenchSession session(kind);
    testing::MockSystemBus system;
    system.addAdapter("hci0");
    system.addDevice("hci0", kBox, "Box");
    session.pulse.unloadSink("arbeitszimmer");
    session.writeSettings(std::string(R"({"hasCompletedOnboarding": true,
        "launchAtLoginAsked": true, "launchAtLogin": false, "connectAutomaticallyAtLogin": false,
        "retryAttempts": 1, "bluetoothOutputAddresses": {"Arbeitszimmer": ")") +
                          kBox + R"("}})");
    auto environment = session.environment();
    std::erase_if(environment,
                  [](const auto& entry) { return entry.starts_with("DBUS_SYSTEM_BUS_ADDRESS="); });
    environment.push_back("DBUS_SYSTEM_BUS_ADDRESS=" + system.address());
    testing::AppProcess app(TONVERA_BINARY, environment);
    if (!app.waitForLine("WakeMonitor started", 10s)) {
        state.SkipWithError("the application did not start");
        return;
    }
    std::vector<double> samples;
    std::string calls;
    for (auto _ : state) {
        system.setConnected(kBox, false);  // switched off while the computer slept
        system.prepareForSleep(true);
        const auto woke = Clock::now();
        system.prepareForSleep(false);
        calls += calls.empty() ? "Connect" : " Connect";
        while (system.calls(kBox) != calls) {
            if (Clock::now() - woke > 10s) {
                state.SkipWithError("Bluetooth was not asked within 10 s");
                return;
            }
            std::this_thread::sleep_for(1ms);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - woke).count();
        samples.push_back(1000 * seconds);
        state.SetIterationTime(seconds);
        app.waitForLine("Arbeitszimmer connected", 5s, samples.size());
    }
    std::ranges::sort(samples);
    const double median = (samples[(samples.size() - 1) / 2] + samples[samples.size() / 2]) / 2;
    state.counters["median_ms"] = median;
    state.counters["worst_ms"] = samples.back();
    state.counters["median_above_waits_ms"] = median - kWakePauseMs - 3000;
}

BENCHMARK(wakeToBluetoothConnect)->Apply(onBothServers)->Iterations(10);

BENCHMARK(wakeToSelected)->Apply(onBothServers)->Iterations(20);

BENCHMARK(bluetoothAppearsToSelected)->Apply(onBothServers)->Iterations(20);

BENCHMARK(aboveAppearsToSelected)->Apply(onBothServers)->Iterations(20);

BENCHMARK(pickedReturnsToSelected)->Apply(onBothServers)->Iterations(20);

BENCHMARK(appearanceToSelected)->Apply(onBothServers)->Iterations(20);

BENCHMARK(appearanceToSwitchedUp)->Apply(onBothServers)->Iterations(20);

BENCHMARK(newOutputToBack)->Apply(onBothServers)->Iterations(20);

}  // namespace
}  // namespace tonvera::bench

BENCHMARK_MAIN();
