// `tonvera --list-outputs` beside `pactl list short sinks`, both run for real against the same
// private sound server, one after the other in each round: wall time from start to exit and
// the CPU time the child used, so start-up of the whole program is what is compared.
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
    Run pactlTotal;
    Run tonveraTotal;
    for (auto _ : state) {
        const Run pactlRun = runOnce(pactl, environment);
        const Run tonveraRun = runOnce(tonvera, environment);
        if (pactlRun.status != 0 || tonveraRun.status != 0) {
            state.SkipWithError("a listing failed");
            return;
        }
        pactlTotal.wallSeconds += pactlRun.wallSeconds;
        pactlTotal.cpuSeconds += pactlRun.cpuSeconds;
        tonveraTotal.wallSeconds += tonveraRun.wallSeconds;
        tonveraTotal.cpuSeconds += tonveraRun.cpuSeconds;
        state.SetIterationTime(tonveraRun.wallSeconds);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["pactl_ms"] = 1000 * pactlTotal.wallSeconds / runs;
    state.counters["pactl_cpu_ms"] = 1000 * pactlTotal.cpuSeconds / runs;
    state.counters["tonvera_ms"] = 1000 * tonveraTotal.wallSeconds / runs;
    state.counters["tonvera_cpu_ms"] = 1000 * tonveraTotal.cpuSeconds / runs;
    state.counters["ratio"] = tonveraTotal.wallSeconds / pactlTotal.wallSeconds;
}

BENCHMARK(listOutputsBesidePactl)
    ->ArgName("server")
    ->Arg(static_cast<int>(SoundServerKind::pulseAudio))
    ->Arg(static_cast<int>(SoundServerKind::pipeWire))
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonvera::bench

BENCHMARK_MAIN();
