// The native selector, the script route and the orchestrator against a real sound server.
#include "platform/linux/pulse_sound_menu.h"

#include <algorithm>
#include <csignal>
#include <map>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/posix_shell_script_runner.h"
#include "platform/linux/steady_clock.h"
#include "platform/sound_menu_contract.h"
#include "platform/testing/memory_log_sink.h"
#include "platform/testing/recording_workspace.h"
#include "reconnect/reconnect_orchestrator.h"
#include "selection/accessibility_error.h"
#include "selection/accessibility_helper.h"
#include "selection/native_accessibility_audio_output_selector.h"
#include "selection/output_selection_error.h"
#include "selection/shell_script_audio_output_selector.h"
#include "support/pulse_server.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::Throws;

struct PulseSoundMenuTest : ::testing::TestWithParam<testing::SoundServerKind> {
    testing::PulseServer server{GetParam()};
    std::shared_ptr<testing::MemoryLogSink> log = std::make_shared<testing::MemoryLogSink>();
    std::shared_ptr<PulseSoundMenu> menu =
        std::make_shared<PulseSoundMenu>(PulseSoundMenu::Options{server.address(), 1s}, log);
    std::shared_ptr<SteadyClock> clock = std::make_shared<SteadyClock>();
    std::shared_ptr<NativeAccessibilityAudioOutputSelector> selector =
        std::make_shared<NativeAccessibilityAudioOutputSelector>(
            AccessibilityHelper(menu, menu, std::make_shared<testing::RecordingWorkspace>()), menu,
            clock, log);

    // The script route, whose tools find the private server through the environment.
    std::shared_ptr<ShellScriptAudioOutputSelector> shellRoute(std::chrono::milliseconds bound) {
        ::setenv("PULSE_SERVER", server.address().c_str(), 1);              // NOLINT(*-mt-unsafe)
        ::setenv("XDG_RUNTIME_DIR", server.runtimeDirectory().c_str(), 1);  // NOLINT(*-mt-unsafe)
        return std::make_shared<ShellScriptAudioOutputSelector>(
            std::make_shared<PosixShellScriptRunner>(std::make_shared<PosixProcessLauncher>()), log,
            bound);
    }

    std::unique_ptr<ReconnectOrchestrator> orchestrator(std::vector<double> delays) {
        auto result =
            std::make_unique<ReconnectOrchestrator>(selector, shellRoute(10s), menu, clock, log);
        result->updateRetryDelays(std::move(delays));
        return result;
    }

    // Each playing stream by its application's name: the stream's number and its sink's name.
    std::map<std::string, std::pair<std::string, std::string>> streams() const {
        std::map<int, std::string> sinks;
        for (const auto& sink : server.list("sinks")) {
            sinks[sink["index"].get<int>()] = sink["name"].get<std::string>();
        }
        std::map<std::string, std::pair<std::string, std::string>> result;
        for (const auto& stream : server.list("sink-inputs")) {
            result[stream["properties"].value("application.name", "")] = {
                std::to_string(stream["index"].get<int>()), sinks[stream["sink"].get<int>()]};
        }
        return result;
    }

    // Waits until the streams are on these sinks, by client name.
    bool streamsAre(const std::map<std::string, std::string>& wanted) const {
        return testing::PulseServer::poll([&] {
            return std::ranges::equal(streams(), wanted, [](const auto& stream, const auto& want) {
                return stream.first == want.first && stream.second.second == want.second;
            });
        });
    }

    // Moves a stream by hand. WirePlumber may still link a stream that has just started to
    // the default after the move, so the move is repeated until it holds.
    bool move(const std::string& client, const std::string& sink) const {
        return testing::PulseServer::poll([&] {
            server.pactl({"move-sink-input", streams()[client].first, sink});
            return streams()[client].second == sink;
        });
    }

    testing::ChildProcess player(const std::string& name) const {
        return testing::ChildProcess({"/bin/sh", "-c",
                                      "exec /usr/bin/pacat --raw --server=" + server.address() +
                                          " --client-name=" + name + " < /dev/zero"});
    }
};

TEST_P(PulseSoundMenuTest, TheMenuListsTheSinksAndSelectingMovesTheStreamsThatFollowTheDefault) {
    EXPECT_THAT(selector->discoverDevices({}),
                ElementsAre("Arbeitszimmer", "Wohnzimmer", "Küche Radio"));
    // The speaker, with a stream routed to it by hand; when it vanishes the server puts the
    // stream on the default.
    ASSERT_TRUE(server.loadSink("terrasse", "Terrasse"));
    const auto orphan = player("orphan");
    ASSERT_TRUE(move("orphan", "terrasse"));
    server.unloadSink("terrasse");
    // Routed by hand to Küche Radio, a stream no longer follows the default.
    const auto follower = player("follower");
    const auto routed = player("routed");
    ASSERT_TRUE(move("routed", "kueche"));
    ASSERT_TRUE(
        streamsAre({{"orphan", "wohnzimmer"}, {"follower", "wohnzimmer"}, {"routed", "kueche"}}));

    selector->selectDevice("Arbeitszimmer", {});
    EXPECT_EQ(server.defaultSink(), "arbeitszimmer");
    EXPECT_TRUE(streamsAre(
        {{"orphan", "arbeitszimmer"}, {"follower", "arbeitszimmer"}, {"routed", "kueche"}}))
        << ::testing::PrintToString(streams());
    EXPECT_FALSE(menu->isMenuOpen());
    // Read back from the server: the selector saw its own choice take effect.
    EXPECT_THAT(
        log->lines(),
        Contains(
            "info: [AirPlay] Output successfully changed to Arbeitszimmer (verified via AXValue)"));

    selector->selectDevice("Arbeitszimmer", {});
    EXPECT_EQ(log->lines().back(), "info: [AirPlay] Output already selected: Arbeitszimmer");
    EXPECT_FALSE(menu->isMenuOpen());

    // Of two outputs with one name, the same is chosen every time: a network speaker announced
    // over IPv6 first, then over IPv4.
    ASSERT_TRUE(server.loadSink("terrasse_v6", "Terrasse"));
    ASSERT_TRUE(server.loadSink("terrasse_v4", "Terrasse"));
    selector->selectDevice("Terrasse", {});
    EXPECT_EQ(server.defaultSink(), "terrasse_v4");
    EXPECT_THAT(log->lines(),
                Contains("info: 2 outputs are named Terrasse: selecting terrasse_v4"));

    // The first of them goes between reading the menu and pressing its checkbox: the other one
    // is selected.
    const AccessibilityHelper ax(menu, menu, std::make_shared<testing::RecordingWorkspace>());
    VisitedSet visited;
    ax.performAction(ax.findElement(ax.applicationElement(sound_menu::kMenuBarAgent),
                                    sound_menu::kSoundItemIdentifier, 0, visited),
                     sound_menu::kPressAction);
    const auto terrasse = ax.findElement(ax.applicationElement(sound_menu::kControlCenter),
                                         "sound-device-Terrasse", 0, visited);
    server.unloadSink("terrasse_v4");
    EXPECT_EQ(ax.performAction(terrasse, sound_menu::kPressAction), kAXSuccess);
    EXPECT_EQ(server.defaultSink(), "terrasse_v6");
}

TEST_P(PulseSoundMenuTest, AServerThatDiesMidRunFailsCleanlyAndARestartRecovers) {
    // PipeWire's own sink outlives its PulseAudio service; the script route still selects it.
    const bool pipeWire = GetParam() == testing::SoundServerKind::pipeWire;
    ASSERT_TRUE(server.addSink("terrasse", "Terrasse"));
    auto reconnect = orchestrator({0, 0.5});
    ReconnectResult result;
    std::thread run([&] { result = reconnect->reconnect("Terrasse"); });
    std::this_thread::sleep_for(300ms);  // the menu is open, the selector waits for it
    ::kill(server.pid(), SIGKILL);
    run.join();
    EXPECT_FALSE(reconnect->isRunning());
    const std::string noServer =
        "no sound server answers (is PulseAudio or PipeWire running in this session?)";
    EXPECT_EQ(result.error, pipeWire ? "" : noServer);
    EXPECT_THAT(log->lines().back(), HasSubstr(pipeWire ? "on attempt 1 (AppleScript fallback)"
                                                        : "not available after 2 attempts"));

    // No server: no host processes, so no Sound menu.
    EXPECT_THAT([&] { selector->selectDevice("Arbeitszimmer", {}); },
                Throws<AccessibilityError>(Eq(AccessibilityError::soundMenuNotFound())));

    server.stop();
    EXPECT_EQ(reconnect->reconnect("Arbeitszimmer").error, noServer);
    server.start();
    log->clear();
    reconnect->reconnect("Arbeitszimmer");
    // The first attempt may still fall in the short pause after the failed connection.
    EXPECT_THAT(log->lines().back(),
                HasSubstr("info: [AirPlay] Successfully selected Arbeitszimmer on attempt"));
    EXPECT_EQ(server.defaultSink(), "arbeitszimmer");
}

TEST_P(PulseSoundMenuTest, TheScriptRouteSelectsOddNamesMovesStreamsAndNamesTheOutputsItSaw) {
    const std::vector<std::pair<std::string, std::string>> odd = {
        {"quoted", "Küche \"Radio\" & $HOME"}, {"lines", "`id`\nZweite Zeile"}};
    for (const auto& [sink, name] : odd) {
        ASSERT_TRUE(server.addSink(sink, name));
    }
    const auto follower = player("follower");
    const auto routed = player("routed");
    ASSERT_TRUE(move("routed", "kueche"));
    const auto script = shellRoute(10s);
    // Each by its name, the first with its umlaut decomposed. The streams on the previous
    // output follow, the one routed by hand elsewhere stays until its output is left.
    const std::vector<std::pair<std::string, std::string>> asked = {
        {"quoted", "Ku\u0308che \"Radio\" & $HOME"},
        {"lines", "`id`\nZweite Zeile"},
        {"kueche", "Küche Radio"},
        {"arbeitszimmer", "Arbeitszimmer"}};
    for (std::size_t step = 0; step < asked.size(); ++step) {
        const std::string& sink = asked[step].first;
        script->selectDevice(asked[step].second, {});
        EXPECT_TRUE(server.becomesDefault(sink) &&
                    streamsAre({{"follower", sink}, {"routed", step < 2 ? "kueche" : sink}}))
            << sink;
    }
    EXPECT_THAT(script->discoverOutputs({}), Contains(DiscoveredOutput{"Arbeitszimmer", true}));
    EXPECT_EQ(
        orchestrator({0})->reconnect("Keller").error,
        "no output is named \"Keller\"; the outputs are Arbeitszimmer, Wohnzimmer, Küche Radio, "
        "Küche \"Radio\" & $HOME, `id` Zweite Zeile");
}

TEST_P(PulseSoundMenuTest, NoOutputNamePassesForAnOptionOrForgesAnotherOutput) {
    // "-h" is pactl's option for help; the visible name lays out `pactl list sinks` lines that
    // would pass Wohnzimmer off as "Keller".
    const std::string forged = "Flur\nSink #99\n\tName: wohnzimmer\n\tDescription: Keller";
    ASSERT_TRUE(server.loadSink("-h", "Terrasse") && server.loadSink("forger", forged));
    const auto script = shellRoute(10s);
    script->selectDevice("Terrasse", {});
    EXPECT_TRUE(server.becomesDefault("-h"));
    EXPECT_THROW(script->selectDevice("Keller", {}), OutputSelectionError);
    EXPECT_THAT(script->discoverDevices({}), Contains(forged));
    EXPECT_EQ(server.defaultSink(), "-h");
}

TEST_P(PulseSoundMenuTest, AStalledServerNeverHangsACall) {
    // Stalled before we connect, and stalled while the menu is open.
    ::kill(server.pid(), SIGSTOP);
    auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(selector->selectDevice("Wohnzimmer", {}), AccessibilityError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    // The script route's pactl waits for the server until the route's bound ends it.
    start = std::chrono::steady_clock::now();
    EXPECT_THAT([&] { shellRoute(500ms)->selectDevice("Wohnzimmer", {}); },
                Throws<OutputSelectionError>(::testing::Property(
                    &OutputSelectionError::what, HasSubstr("did not finish within 0.5 s"))));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    ::kill(server.pid(), SIGCONT);

    std::this_thread::sleep_for(1s);  // past the pause after a failed connection
    std::thread stall([&] {
        std::this_thread::sleep_for(200ms);  // the Sound item is pressed by then
        ::kill(server.pid(), SIGSTOP);
    });
    start = std::chrono::steady_clock::now();
    EXPECT_THROW(selector->selectDevice("Wohnzimmer", {}), AccessibilityError);
    stall.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 6s);
    ::kill(server.pid(), SIGCONT);
}

INSTANTIATE_TEST_SUITE_P(Servers, PulseSoundMenuTest,
                         ::testing::Values(testing::SoundServerKind::pulseAudio,
                                           testing::SoundServerKind::pipeWire),
                         testing::soundServerName);

}  // namespace
}  // namespace tonvera
