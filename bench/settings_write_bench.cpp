// What one keystroke in the Settings window's name field costs the main thread: one write of
// the settings file (temporary file, fsync, rename, fsync of the folder) through
// JsonFileUserDefaults::set, with the file holding every key the application stores.
// Set TMPDIR to a folder on the disk that holds ~/.config to measure that disk.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/linux/json_file_user_defaults.h"
#include "support/temporary_directory.h"

namespace tonvera {
namespace {

double percentile99(const std::vector<double>& values) {
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const auto rank =
        static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(sorted.size())));
    return sorted.at(std::max<std::size_t>(rank, 1) - 1);
}

void writeDeviceName(benchmark::State& state) {
    static testing::TemporaryDirectory folder;
    static JsonFileUserDefaults defaults(folder.path(), Logger(nullptr, "", ""));
    static std::string typed = "Wohnzimmer";
    if (typed.size() > 60) {
        typed.resize(10);
    }
    static const bool filled = [] {
        defaults.set("connectAutomaticallyOnWake", true);
        defaults.set("connectAutomaticallyAtLogin", true);
        defaults.set("retryAttempts", std::int64_t{4});
        defaults.set("retryInterval", 1.0);
        defaults.set("hasCompletedOnboarding", true);
        defaults.set("launchAtLogin", true);
        defaults.set("launchAtLoginAsked", true);
        return true;
    }();
    benchmark::DoNotOptimize(filled);
    typed += 'x';
    for (auto _ : state) {
        defaults.set("preferredAudioOutput", typed);
    }
}

// One write per repetition, so the statistics describe single keystrokes.
BENCHMARK(writeDeviceName)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(400)
    ->ComputeStatistics("p99", percentile99)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

}  // namespace
}  // namespace tonvera

BENCHMARK_MAIN();
