// `tonvera --list-outputs` beside `pactl list short sinks`, both run for real against the same
// private sound server, alternately, 30 runs each: wall time from start to exit and the CPU
// time the child used, so start-up of the whole program is what is compared. Medians, which a
// busy machine disturbs less than means.
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "app_bench_session.h"

namespace tonvera::bench {
namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    int status = -1;
};

// Runs `command` to its end with its output thrown away.
Run runOnce(std::vector<std::string> command, std::vector<std::string> environment) {
    const auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> result;
        result.reserve(strings.size() + 1);
        for (auto& string : strings) {
            result.push_back(string.data());
        }
        result.push_back(nullptr);
        return result;
    };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    Run run;
    pid_t pid = -1;
    const auto started = Clock::now();
    if (::posix_spawn(&pid, command[0].c_str(), &actions, nullptr, pointers(command).data(),
                      pointers(environment).data()) == 0) {
        rusage usage{};
        int raw = 0;
        ::wait4(pid, &raw, 0, &usage);
        run.wallSeconds = std::chrono::duration<double>(Clock::now() - started).count();
        const auto seconds = [](const timeval& value) {
            return static_cast<double>(value.tv_sec) + static_cast<double>(value.tv_usec) / 1e6;
        };
        run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

void listOutputsBesidePactl(benchmark::State& state) {
    const auto kind = static_cast<SoundServerKind>(state.range(0));
    state.SetLabel(serverName(kind));
    const AppBenchSession session(kind);
    // Both find the server the same way, through PULSE_SERVER.
    const std::vector<std::string> environment = session.environment();
    const std::vector<std::string> pactl{"/usr/bin/pactl", "list", "short", "sinks"};
    const std::vector<std::string> tonvera{TONVERA_BINARY, "--list-outputs"};
    std::vector<Run> pactlRuns;
    std::vector<Run> tonveraRuns;
    for (auto _ : state) {
        pactlRuns.push_back(runOnce(pactl, environment));
        tonveraRuns.push_back(runOnce(tonvera, environment));
        if (pactlRuns.back().status != 0 || tonveraRuns.back().status != 0) {
            state.SkipWithError("a listing failed");
            return;
        }
        state.SetIterationTime(tonveraRuns.back().wallSeconds);
    }
    const auto median = [](const std::vector<Run>& runs, double Run::*field) {
        std::vector<double> values;
        values.reserve(runs.size());
        for (const auto& run : runs) {
            values.push_back(run.*field);
        }
        std::sort(values.begin(), values.end());
        const std::size_t middle = values.size() / 2;
        return 1000 * (values.size() % 2 == 1 ? values[middle]
                                              : (values[middle - 1] + values[middle]) / 2);
    };
    const double pactlWall = median(pactlRuns, &Run::wallSeconds);
    const double pactlCpu = median(pactlRuns, &Run::cpuSeconds);
    const double tonveraWall = median(tonveraRuns, &Run::wallSeconds);
    const double tonveraCpu = median(tonveraRuns, &Run::cpuSeconds);
    state.counters["pactl_ms"] = pactlWall;
    state.counters["pactl_cpu_ms"] = pactlCpu;
    state.counters["tonvera_ms"] = tonveraWall;
    state.counters["tonvera_cpu_ms"] = tonveraCpu;
    state.counters["ratio"] = tonveraWall / pactlWall;
    state.counters["cpu_ratio"] = tonveraCpu / pactlCpu;
}

BENCHMARK(listOutputsBesidePactl)
    ->ArgName("server")
    ->Arg(static_cast<int>(SoundServerKind::pulseAudio))
    ->Arg(static_cast<int>(SoundServerKind::pipeWire))
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonvera::bench

BENCHMARK_MAIN();
