// The speaker coming back under a new internal name, as network speakers do, while the real
// application follows it ("connectWhenSpeakerAppears" on, so no wake run is in the way): time
// from the sink's appearance to the sound server's new default, on PulseAudio and PipeWire.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "app_bench_session.h"
#include "support/app_process.h"

namespace tonvera::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The Sound menu is given this long to open before the press that switches the default.
constexpr double kWaitBeforePressMs = 700;

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

void appearanceToSelected(benchmark::State& state) {
    const auto kind = static_cast<SoundServerKind>(state.range(0));
    state.SetLabel(serverName(kind));
    AppBenchSession session(kind);
    session.pulse.unloadSink("arbeitszimmer");  // gone while the computer slept
    session.writeSettings(R"({"hasCompletedOnboarding": true, "launchAtLoginAsked": true,
        "launchAtLogin": false, "connectAutomaticallyAtLogin": false,
        "connectWhenSpeakerAppears": true})");
    testing::AppProcess app(TONVERA_BINARY, session.environment());
    if (!app.waitForLine("Watching the sound outputs", 10s)) {
        state.SkipWithError("the application did not watch the outputs");
        return;
    }
    std::this_thread::sleep_for(500ms);  // the first list, which is no appearance, is in
    std::vector<double> samples;
    for (auto _ : state) {
        const std::size_t round = samples.size();
        const std::string name =
            "raop_sink.round" + std::string(round < 10 ? "0" : "") + std::to_string(round);
        const testing::ChildProcess events(
            {"/usr/bin/pactl", "--server=" + session.pulse.address(), "subscribe"});
        std::this_thread::sleep_for(200ms);  // subscribed before anything happens
        if (!session.pulse.loadSink(name, "Arbeitszimmer")) {
            state.SkipWithError("the server refused the sink");
            return;
        }
        const auto loaded = Clock::now();
        const auto selected = whenDefault(events, session.pulse, name);
        if (!selected) {
            std::fputs(app.output().c_str(), stderr);
            state.SkipWithError("the speaker was not selected within 10 s");
            return;
        }
        const double seconds = std::chrono::duration<double>(*selected - loaded).count();
        samples.push_back(1000 * seconds);
        state.SetIterationTime(seconds);
        // The selection verifies and closes the menu after the switch; then the speaker
        // leaves again and the default goes back to the room speaker, out of the timing.
        app.waitForLine("Successfully selected Arbeitszimmer on attempt", 5s, samples.size());
        session.pulse.unloadSink(name);
        session.pulse.pactl({"set-default-sink", "wohnzimmer"});
        std::this_thread::sleep_for(300ms);
    }
    std::ranges::sort(samples);
    const double median = (samples[(samples.size() - 1) / 2] + samples[samples.size() / 2]) / 2;
    state.counters["median_ms"] = median;
    state.counters["worst_ms"] = samples.back();
    state.counters["best_ms"] = samples.front();
    state.counters["median_above_waits_ms"] = median - kWaitBeforePressMs;
    state.counters["worst_above_waits_ms"] = samples.back() - kWaitBeforePressMs;
}

BENCHMARK(appearanceToSelected)
    ->ArgName("server")
    ->Arg(static_cast<int>(SoundServerKind::pulseAudio))
    ->Arg(static_cast<int>(SoundServerKind::pipeWire))
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonvera::bench

BENCHMARK_MAIN();
