// The launcher's own overhead: one run of /bin/true, start to reaped, through the same path
// the script selector takes (pipes drained, process descriptor watched, time bound armed).
#include <benchmark/benchmark.h>

#include "platform/linux/posix_process_launcher.h"

namespace tonvera {
namespace {

void runTrue(benchmark::State& state) {
    PosixProcessLauncher launcher;
    for (auto _ : state) {
        const auto result = launcher.run("/bin/true", {}, std::chrono::seconds(10), {});
        benchmark::DoNotOptimize(result.exitStatus);
    }
}

BENCHMARK(runTrue)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

}  // namespace
}  // namespace tonvera

BENCHMARK_MAIN();
