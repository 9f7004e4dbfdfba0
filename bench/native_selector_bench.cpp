// The native selector against the scripted Sound menu with zero-length waits: CPU time per
// call and accessibility requests per element of the ControlCenter tree.
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "platform/logger.h"
#include "platform/testing/scripted_sound_menu.h"
#include "platform/testing/sound_menu_scene.h"
#include "platform/workspace.h"
#include "selection/native_accessibility_audio_output_selector.h"

namespace tonvera {
namespace {

// Waits take no time at all, so only the selector's own work is measured.
class ImmediateClock final : public Clock {
  public:
    TimePoint now() const override { return {}; }
    bool sleepFor(Duration, std::stop_token) override { return true; }
};

class NoWorkspace final : public Workspace {
  public:
    bool openURL(std::string_view) override { return false; }
};

class DiscardingSink final : public LogSink {
  public:
    void write(LogLevel, std::string_view, std::string_view, std::string_view) override {}
};

struct Fixture {
    std::shared_ptr<ImmediateClock> clock = std::make_shared<ImmediateClock>();
    std::shared_ptr<testing::ScriptedSoundMenu> menu =
        std::make_shared<testing::ScriptedSoundMenu>(clock);
    NativeAccessibilityAudioOutputSelector selector{
        AccessibilityHelper(menu, menu, std::make_shared<NoWorkspace>()), menu, clock,
        std::make_shared<DiscardingSink>()};
    std::size_t treeSize = 0;

    // A ControlCenter tree of `elements` elements: the usual menu, with the rest as groups
    // eight wide under the menu window (shallow, like a real window).
    explicit Fixture(std::size_t elements) {
        const auto scene = testing::SoundMenuScene::build(
            *menu, {"Arbeitszimmer", "Wohnzimmer", "Küche Radio", "Büro"});
        constexpr std::size_t kSceneElements = 1 + 4 + 4 + 4;
        std::vector<testing::ScriptedSoundMenu::NodeId> parents{scene.window};
        std::size_t next = 0;
        for (std::size_t added = kSceneElements; added < elements; ++added) {
            const auto parent = parents[next / 8];
            parents.push_back(menu->addElement(
                parent, AXAttributeValue("text-" + std::to_string(added)), "AXStaticText"));
            ++next;
        }
        treeSize = std::max(elements, kSceneElements);
        menu->selectOutput("Arbeitszimmer");
    }
};

void reportRequests(benchmark::State& state, const Fixture& fixture, std::size_t passes) {
    const auto counters = fixture.menu->counters();
    const double perCall =
        static_cast<double>(counters.attributeReads()) / static_cast<double>(state.iterations());
    state.counters["requests_per_call"] = perCall;
    state.counters["requests_per_element_per_pass"] =
        perCall / static_cast<double>(fixture.treeSize * passes);
    state.SetComplexityN(static_cast<benchmark::IterationCount>(fixture.treeSize));
}

void selectDevice(benchmark::State& state) {
    Fixture fixture(static_cast<std::size_t>(state.range(0)));
    fixture.menu->resetCounters();
    for (auto _ : state) {
        // Alternate so that every call presses and verifies an output.
        fixture.selector.selectDevice(state.iterations() % 2 == 0 ? "Wohnzimmer" : "Büro", {});
    }
    reportRequests(state, fixture, 1);
}

void discoverDevices(benchmark::State& state) {
    Fixture fixture(static_cast<std::size_t>(state.range(0)));
    fixture.menu->resetCounters();
    for (auto _ : state) {
        benchmark::DoNotOptimize(fixture.selector.discoverDevices({}));
    }
    reportRequests(state, fixture, 1);
}

BENCHMARK(selectDevice)
    ->RangeMultiplier(10)
    ->Range(100, 100000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);
BENCHMARK(discoverDevices)
    ->RangeMultiplier(10)
    ->Range(100, 100000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace tonvera

BENCHMARK_MAIN();
