// A full successful selection against a real sound server (a private PulseAudio started
// here): wall time above the 1.4 s of waits the selector must make, and the accessibility
// requests one selection costs.
#include <atomic>
#include <chrono>

#include <benchmark/benchmark.h>

#include "platform/linux/pulse_sound_menu.h"
#include "platform/linux/steady_clock.h"
#include "platform/testing/recording_workspace.h"
#include "selection/native_accessibility_audio_output_selector.h"
#include "support/pulse_server.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;

class DiscardingSink final : public LogSink {
  public:
    void write(LogLevel, std::string_view, std::string_view, std::string_view) override {}
};

// Counts the requests that pass through to the real implementation.
class CountingAccessibility final : public Accessibility {
  public:
    explicit CountingAccessibility(std::shared_ptr<Accessibility> inner)
        : inner_(std::move(inner)) {}
    bool isProcessTrusted() const override { return inner_->isProcessTrusted(); }
    AXElementHandle applicationElement(std::int32_t pid) override {
        return inner_->applicationElement(pid);
    }
    AXError copyAttributeValue(const AXElementHandle& element, std::string_view attribute,
                               std::optional<AXAttributeValue>& value) override {
        ++requests;
        return inner_->copyAttributeValue(element, attribute, value);
    }
    AXError performAction(const AXElementHandle& element, std::string_view action) override {
        ++requests;
        return inner_->performAction(element, action);
    }
    std::atomic<long> requests{0};

  private:
    std::shared_ptr<Accessibility> inner_;
};

void selectDeviceOnPulseAudio(benchmark::State& state) {
    testing::PulseServer server;
    auto menu = std::make_shared<PulseSoundMenu>(PulseSoundMenu::Options{server.address()},
                                                 std::make_shared<DiscardingSink>());
    auto counting = std::make_shared<CountingAccessibility>(menu);
    NativeAccessibilityAudioOutputSelector selector(
        AccessibilityHelper(counting, menu, std::make_shared<testing::RecordingWorkspace>()), menu,
        std::make_shared<SteadyClock>(), std::make_shared<DiscardingSink>());
    selector.discoverDevices({});  // connect once, outside the measurement

    double aboveWaits = 0;
    long calls = 0;
    counting->requests = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        selector.selectDevice(calls % 2 == 0 ? "Küche Radio" : "Wohnzimmer", {});
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        aboveWaits += took.count() - 1400.0;
        ++calls;
    }
    state.counters["ms_above_waits"] = aboveWaits / static_cast<double>(calls);
    state.counters["requests_per_call"] =
        static_cast<double>(counting->requests) / static_cast<double>(calls);
}

BENCHMARK(selectDeviceOnPulseAudio)->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonvera

BENCHMARK_MAIN();
