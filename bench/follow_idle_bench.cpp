// What the real application costs while it waits with nothing to do, with following the speaker
// at all times ("connectWhenSpeakerAppears") on and off, on PulseAudio and PipeWire: CPU time,
// context switches of all threads (each voluntary one is a wakeup) and memory over a minute
// of idling. The speaker is missing throughout, so a follower has something to wait for.
#include <chrono>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>

#include "app_bench_session.h"
#include "process_stats.h"
#include "support/app_process.h"

namespace tonvera::bench {
namespace {

using namespace std::chrono_literals;

void idleMinute(benchmark::State& state) {
    const auto kind = static_cast<SoundServerKind>(state.range(0));
    const bool follow = state.range(1) != 0;
    state.SetLabel(std::string(serverName(kind)) + (follow ? ", following on" : ", following off"));
    AppBenchSession session(kind);
    session.pulse.unloadSink("arbeitszimmer");
    session.writeSettings(std::string(R"({"hasCompletedOnboarding": true,
        "launchAtLoginAsked": true, "launchAtLogin": false, "connectAutomaticallyAtLogin": false,
        "connectWhenSpeakerAppears": )") +
                          (follow ? "true}" : "false}"));
    for (auto _ : state) {
        testing::AppProcess app(TONVERA_BINARY, session.environment());
        // Past start-up and the update check 10 s in. No reconnect at login: its run and the
        // following after it would make "off" watch the outputs too.
        std::this_thread::sleep_for(13s);
        const ProcessStats first = statsOf(app.pid());
        std::this_thread::sleep_for(60s);
        const ProcessStats last = statsOf(app.pid());
        state.counters["cpu_ms"] = 1000 * (last.cpuSeconds - first.cpuSeconds);
        state.counters["voluntary_switches"] =
            static_cast<double>(last.voluntarySwitches - first.voluntarySwitches);
        state.counters["involuntary_switches"] =
            static_cast<double>(last.involuntarySwitches - first.involuntarySwitches);
        state.counters["rss_MiB"] = static_cast<double>(last.residentKiB) / 1024.0;
        state.counters["private_MiB"] = static_cast<double>(last.privateKiB()) / 1024.0;
        state.SetIterationTime(60.0);
    }
}

BENCHMARK(idleMinute)
    ->ArgNames({"server", "following"})
    ->ArgsProduct({{static_cast<int>(SoundServerKind::pulseAudio),
                    static_cast<int>(SoundServerKind::pipeWire)},
                   {0, 1}})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonvera::bench

BENCHMARK_MAIN();
