// Watching the outputs of a real sound server.
#include "platform/linux/pulse_sound_outputs.h"

#include <csignal>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/pulse_sound_menu.h"
#include "platform/linux/steady_clock.h"
#include "platform/testing/blocking_main_queue.h"
#include "platform/testing/memory_log_sink.h"
#include "platform/testing/recording_workspace.h"
#include "selection/native_accessibility_audio_output_selector.h"
#include "support/pulse_read_hold.h"
#include "support/pulse_server.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::Not;
using testing::SoundServerKind;
using ::testing::StartsWith;

struct PulseSoundOutputsTest : ::testing::TestWithParam<SoundServerKind> {
    testing::PulseServer server{GetParam()};
    std::shared_ptr<testing::BlockingMainQueue> queue =
        std::make_shared<testing::BlockingMainQueue>();
    std::shared_ptr<testing::MemoryLogSink> log = std::make_shared<testing::MemoryLogSink>();
    PulseSoundOutputs outputs{queue, {server.address()}, log};
    std::vector<SoundOutputs::List> lists;

    // Plays the main thread until a list that `wanted` accepts arrives (or, without a list
    // wanted, word that there is none).
    template <typename Matcher>
    bool waitForList(Matcher wanted, bool wantList = true) {
        for (auto start = std::chrono::steady_clock::now();
             std::chrono::steady_clock::now() - start < 5s;) {
            if (queue->runNext(100ms) && !lists.empty() &&
                ::testing::Matches(wanted)(lists.back().value_or(std::vector<SoundOutput>{})) &&
                lists.back().has_value() == wantList) {
                return true;
            }
        }
        return false;
    }

    // Our connections to the server: libpulse clients by the name we give them.
    long ours() const {
        const auto clients = server.list("clients");
        return std::count_if(clients.begin(), clients.end(), [](const auto& client) {
            return client["properties"].value("application.name", "") == "Tonvera";
        });
    }
};

const auto named = [](const std::string& name) { return Field(&SoundOutput::name, name); };

TEST_P(PulseSoundOutputsTest, FollowsOutputsAndTheDefaultAcrossARestartWhileWatched) {
    auto watch = outputs.watch([&](const auto& list) { lists.push_back(list); });
    ASSERT_TRUE(waitForList(ElementsAre(SoundOutput{"Arbeitszimmer", "arbeitszimmer", false},
                                        SoundOutput{"Wohnzimmer", "wohnzimmer", true},
                                        SoundOutput{"Küche Radio", "kueche", false})));
    EXPECT_EQ(ours(), 1);

    ASSERT_TRUE(server.loadSink("terrasse", "Terrasse"));
    EXPECT_TRUE(waitForList(Contains(named("Terrasse"))));
    server.pactl({"set-default-sink", "terrasse"});
    // pipewire-pulse 0.3.65 stops telling a long-lived client of default changes once its
    // session manager stalled on a loaded machine; a fresh connection is told, as the follower's
    // after each run.
    const auto playsTerrasse = Contains(SoundOutput{"Terrasse", "terrasse", true});
    bool told = waitForList(playsTerrasse);
    if (!told && GetParam() == SoundServerKind::pipeWire) {
        watch->refresh();
        told = waitForList(playsTerrasse);
    }
    EXPECT_TRUE(told);
    server.unloadSink("terrasse");
    EXPECT_TRUE(waitForList(Not(Contains(named("Terrasse")))));
    // A Bluetooth device's sink carries its address; the plain ones above and below carry none.
    ASSERT_TRUE(server.addBluetoothSink("AA:BB:CC:DD:EE:FF", "Box"));
    const auto box =
        Contains(AllOf(named("Box"), Field(&SoundOutput::bluetoothAddress, "AA:BB:CC:DD:EE:FF")));
    EXPECT_TRUE(waitForList(box));
    EXPECT_THAT(outputs.read(2s).value_or(std::vector<SoundOutput>{}), box);

    // Ten outputs more at once: events that come while a read is under way are read too.
    std::vector<std::unique_ptr<testing::ChildProcess>> loads;
    loads.reserve(10);
    for (int i = 0; i < 10; ++i) {
        loads.push_back(std::make_unique<testing::ChildProcess>(std::vector<std::string>{
            "/usr/bin/pactl", "--server=" + server.address(), "load-module", "module-null-sink",
            "sink_name=burst" + std::to_string(i)}));
    }
    EXPECT_TRUE(waitForList(::testing::SizeIs(14)));

    // A lost server is "no list"; one back after two seconds is listed again soon.
    ::kill(server.pid(), SIGKILL);
    EXPECT_TRUE(waitForList(ElementsAre(), false));
    server.stop();
    std::this_thread::sleep_for(2s);
    server.start();
    const auto restarted = std::chrono::steady_clock::now();
    EXPECT_TRUE(waitForList(Contains(named("Küche Radio"))));
    EXPECT_LT(std::chrono::steady_clock::now() - restarted, 5s);
    EXPECT_THAT(outputs.read(2s).value_or(std::vector<SoundOutput>{}),
                Contains(SoundOutput{"Wohnzimmer", "wohnzimmer", true}));

    watch.reset();
    const auto listed = lists.size();
    server.pactl({"set-default-sink", "kueche"});
    while (queue->runNext(200ms)) {
    }
    EXPECT_EQ(lists.size(), listed) << "a handler ran after its watch ended";
    EXPECT_TRUE(testing::PulseServer::poll([&] { return ours() == 0; }));
    EXPECT_THAT(log->lines(), ElementsAre("info: Watching the sound outputs",
                                          StartsWith("error: The sound server cannot be reached ("),
                                          "info: The sound server can be reached again",
                                          "info: Stopped watching the sound outputs"));
}

// The first read of the list held half done while an output appears: the event comes in the
// middle of the read, and the list is read once more.
TEST_P(PulseSoundOutputsTest, AnOutputThatAppearsWhileTheFirstListIsReadIsListed) {
    testing::PulseReadHold hold(server.address());
    PulseSoundOutputs held(queue, {hold.address()}, log);
    auto watch = held.watch([&](const auto& list) { lists.push_back(list); });
    ASSERT_TRUE(hold.waitForSinks());
    ASSERT_TRUE(server.loadSink("terrasse", "Terrasse"));
    ASSERT_TRUE(hold.waitForNewSink());
    hold.release();
    EXPECT_TRUE(waitForList(Contains(named("Terrasse"))));
}

// PipeWire only: its session manager stalls as on a loaded machine.
struct PipeWireSessionManagerStallTest : PulseSoundOutputsTest {};

TEST_P(PipeWireSessionManagerStallTest, TheDefaultIsStillToldRightAndTheMenuStillVerifies) {
    server.stallSessionManager();
    auto watch = outputs.watch([&](const auto& list) { lists.push_back(list); });
    server.loadSink("Terrasse", "Terrasse");
    ASSERT_TRUE(waitForList(::testing::SizeIs(4)));
    server.pactl({"set-default-sink", "Terrasse"});
    // The session manager applies the choice a moment later, and from then on a new client
    // reads it: so it is after a selection through the Sound menu, which reads the default back
    // before the follower asks for a refresh.
    ASSERT_TRUE(server.becomesDefault("Terrasse"));
    watch->refresh();  // the server does not tell this client; it asks
    EXPECT_TRUE(waitForList(Contains(SoundOutput{"Terrasse", "Terrasse", true})));

    const auto menu =
        std::make_shared<PulseSoundMenu>(PulseSoundMenu::Options{server.address(), 1s}, log);
    NativeAccessibilityAudioOutputSelector(
        AccessibilityHelper(menu, menu, std::make_shared<testing::RecordingWorkspace>()), menu,
        std::make_shared<SteadyClock>(), log)
        .selectDevice("Wohnzimmer", {});
    EXPECT_EQ(server.defaultSink(), "wohnzimmer");
    EXPECT_THAT(log->lines(), Contains("info: [AirPlay] Output successfully changed to Wohnzimmer "
                                       "(verified via AXValue)"));
}

INSTANTIATE_TEST_SUITE_P(Servers, PulseSoundOutputsTest,
                         ::testing::Values(SoundServerKind::pulseAudio, SoundServerKind::pipeWire),
                         testing::soundServerName);
INSTANTIATE_TEST_SUITE_P(PipeWire, PipeWireSessionManagerStallTest,
                         ::testing::Values(SoundServerKind::pipeWire), testing::soundServerName);

}  // namespace
}  // namespace tonvera
