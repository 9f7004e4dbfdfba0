#include "reconnect/bluetooth_recall.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/testing/scripted_bluetooth_devices.h"
#include "unit/reconnect/follower_scene.h"

namespace tonvera::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Call = ScriptedBluetoothDevices::ConnectCall;

constexpr const char* kBox = "AA:BB:CC:DD:EE:01";
constexpr const char* kHeadset = "AA:BB:CC:DD:EE:02";

// The follower with a recall: Arbeitszimmer is a Bluetooth box, the list's Küche Radio a
// headset shared with a phone; neither is connected.
struct RecallScene : Scene {
    std::shared_ptr<ScriptedBluetoothDevices> bluetooth =
        std::make_shared<ScriptedBluetoothDevices>(time, time);
    std::shared_ptr<BluetoothRecall> recall =
        BluetoothRecall::create(bluetooth, settings, intent, tasks, time, log);
    std::shared_ptr<SpeakerFollower> recalling =
        SpeakerFollower::create(outputs, settings, orchestrator, tasks, time, time, log, recall);
    std::vector<bool> bluetoothFailed;

    RecallScene() {
        follower->stop();
        recalling->start([this](const std::string&, const std::string&, bool failed) {
            bluetoothFailed.push_back(failed);
        });
        outputs->set(offer("room*"));
        settings->setBluetoothOutputs({{"Arbeitszimmer", kBox}, {"Küche Radio", kHeadset}});
        bluetooth->setDevices({{kBox, "Box", true, false, true}, headset()});
    }
    static BluetoothDevice headset() { return {kHeadset, "Headset", true, false, true}; }
    std::vector<std::string> connected() const {
        std::vector<std::string> addresses;
        for (const auto& call : bluetooth->connectCalls()) {
            addresses.push_back(call.address);
        }
        return addresses;
    }
};

TEST(BluetoothRecallTest, OnlyTheBestRankedOutputThatIsNotThereIsAskedForAndOnlyWhenItCanBe) {
    const auto box = [](bool paired, bool connected, bool powered) {
        return BluetoothDevice{kBox, "Box", paired, connected, powered};
    };
    const std::vector<std::pair<const char*, std::function<void(RecallScene&)>>> rows = {
        {"the box, paired and off", [](RecallScene&) {}},
        {"not the headset lower down while the box is connected",
         [&](auto& s) {
             s.bluetooth->setDevices({box(true, true, true), s.headset()});
         }},
        {"nothing while a better output plays",
         [](auto& s) { s.settings->setPriorityOutputs({"Wohnzimmer"}); }},
        {"not unpaired", [&](auto& s) { s.bluetooth->setDevices({box(false, false, true)}); }},
        {"not with the adapter off",
         [&](auto& s) { s.bluetooth->setDevices({box(true, false, false)}); }},
        {"not when the person disconnected it",
         [](auto& s) { s.intent->noteDisconnectByPerson(kBox); }},
        {"not with the switch off",
         [](auto& s) { s.settings->setReconnectBluetoothOutputs(false); }},
    };
    for (std::size_t row = 0; row < rows.size(); ++row) {
        SCOPED_TRACE(rows[row].first);
        RecallScene scene;
        rows[row].second(scene);
        scene.recall->start(OutputRanking::of(*scene.settings), {}, 1,
                            [] { return std::optional(offer("room*")); });
        scene.drain();
        EXPECT_EQ(scene.connected(), std::vector<std::string>(row == 0 ? 1 : 0, kBox));
    }
}

TEST(BluetoothRecallTest, AfterAWakeThreeBoundedTriesWithGrowingPausesAndWhatTheNoticeSays) {
    RecallScene scene;
    scene.bluetooth->scriptConnects(
        {{{BluetoothConnectResult::Outcome::failed, "org.bluez.Error.Failed: Page Timeout"}, 0s},
         {{}, 30s},
         {{BluetoothConnectResult::Outcome::failed, "org.bluez.Error.Failed: Host is down"}, 0s}});
    scene.drain();
    scene.recalling->followForAWhile(Intent::Source::wake);
    scene.time->advanceBy(2999ms);
    scene.drain();
    EXPECT_THAT(scene.bluetooth->lookUps(), IsEmpty());  // Bluetooth's own resume first
    for (const std::chrono::milliseconds step : {1ms, 5000ms, 20000ms}) {
        scene.time->advanceBy(step);
        scene.drain();
    }
    EXPECT_EQ(scene.decisions(),
              std::vector<std::string>(
                  3, "Arbeitszimmer is paired but not connected — asking Bluetooth to connect it"));
    EXPECT_THAT(scene.log->lines(),
                ::testing::Contains("error: [AirPlay] Arbeitszimmer could not connect: "
                                    "org.bluez.Error.Failed: Page Timeout"));
    scene.time->advanceBy(3min);
    EXPECT_EQ(scene.bluetooth->connectCalls(),
              (std::vector<Call>{{kBox, 10s}, {kBox, 10s}, {kBox, 10s}}));
    EXPECT_THAT(scene.bluetoothFailed, ElementsAre(true));

    // Login and Connect now ask at once; no Bluetooth service is said once.
    scene.bluetooth->setUnavailable(BluetoothLookup::Status::noService, "NameHasNoOwner");
    scene.log->clear();
    scene.recalling->followForAWhile(Intent::Source::login);
    scene.drain();
    scene.intent->followRanking(Intent::Source::connectNow);
    scene.drain();
    EXPECT_EQ(scene.bluetooth->lookUps().size(), 5U);
    EXPECT_THAT(scene.log->lines(),
                ElementsAre(::testing::HasSubstr("Following"),
                            "info: [AirPlay] Bluetooth outputs cannot be reconnected: no "
                            "Bluetooth service (NameHasNoOwner)"));
}

TEST(BluetoothRecallTest, ADeviceThePersonDisconnectsIsLeftAloneAndSeenDevicesAreRemembered) {
    RecallScene scene;
    scene.settings->setBluetoothOutputs({});
    scene.settings->setConnectWhenSpeakerAppears(true);
    scene.drain();
    scene.show(
        {{"Arbeitszimmer", "bluez_sink.box", false, kBox}, {"Wohnzimmer", "room", true, {}}});
    EXPECT_EQ(scene.settings->bluetoothOutputs(),
              (std::map<std::string, std::string, std::less<>>{{"Arbeitszimmer", kBox}}));

    scene.show(offer("room*"));
    scene.bluetooth->scriptConnects(
        {{{BluetoothConnectResult::Outcome::failed, "org.bluez.Error.Failed: Page Timeout"}, 0s}});
    scene.recalling->followForAWhile(Intent::Source::login);
    scene.drain();
    scene.bluetooth->disconnect(kBox);  // switched on, connected, and switched off by hand
    scene.time->advanceBy(5s);
    scene.drain();
    EXPECT_EQ(scene.connected(), std::vector<std::string>{kBox});
    EXPECT_EQ(scene.log->lines().back(),
              "info: [AirPlay] Arbeitszimmer was disconnected by hand — left alone until the next "
              "wake");
}

}  // namespace
}  // namespace tonvera::testing
