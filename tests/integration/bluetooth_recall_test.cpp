#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "support/app_session.h"
#include "support/mock_system_bus.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;

constexpr const char* kBox = "AA:BB:CC:DD:EE:FF";

// The real application on each sound server, with a private system bus on which a mock login
// manager sends the sleep and the wake and a mock BlueZ knows the speaker, a paired Bluetooth
// box that did not reconnect.
class BluetoothRecallTest : public AppSession,
                            public ::testing::WithParamInterface<SoundServerKind> {
  protected:
    BluetoothRecallTest() : AppSession(GetParam()) { systemBusAddress = system.address(); }

    void sleepAndWake(AppProcess& app, std::size_t wakes) const {
        system.prepareForSleep(true);
        system.prepareForSleep(false);
        ASSERT_TRUE(app.waitForLine("Wake detected (didWake)", 5s, wakes));
    }
    bool callsBecome(const std::string& calls) const {
        return PulseServer::poll([&] { return system.calls(kBox) == calls; });
    }

    MockSystemBus system;
};

TEST_P(BluetoothRecallTest, AfterAWakeThePairedSpeakerIsAskedUntilItConnectsUnlessThePersonSaidNo) {
    writeSettings(std::string(R"({"hasCompletedOnboarding": true, "launchAtLoginAsked": true,
                                  "launchAtLogin": false, "connectAutomaticallyAtLogin": false,
                                  "retryAttempts": 2, "retryInterval": 0.2,
                                  "bluetoothOutputAddresses": {"Arbeitszimmer": ")") +
                  kBox + R"("}})");
    pulse.unloadSink("arbeitszimmer");
    system.addAdapter("hci0");
    system.addDevice("hci0", kBox, "Box");
    system.failConnects(kBox, 1, "org.bluez.Error.Failed", "Page Timeout");
    const auto app = start();
    ASSERT_TRUE(app->waitForLine("WakeMonitor started", 10s));

    // Asked once Bluetooth's own resume delay has passed after the wake's second; the person
    // then connects it and disconnects it again: it is left alone.
    sleepAndWake(*app, 1);
    const auto woke = std::chrono::steady_clock::now();
    ASSERT_TRUE(callsBecome("Connect"));
    EXPECT_GT(std::chrono::steady_clock::now() - woke, 3s);
    system.setConnected(kBox, true);
    system.setConnected(kBox, false);
    ASSERT_TRUE(app->waitForLine("Arbeitszimmer was disconnected by hand", 5s));
    EXPECT_EQ(system.calls(kBox), "Connect");

    // The next wake asks again, and goes on asking until it connects; then it plays.
    system.failConnects(kBox, 2, "org.bluez.Error.Failed", "Page Timeout");
    sleepAndWake(*app, 2);
    ASSERT_TRUE(app->waitForLine("Arbeitszimmer connected", 15s));
    EXPECT_EQ(system.calls(kBox), "Connect Connect Connect Connect");
    ASSERT_TRUE(pulse.addBluetoothSink(kBox, "Arbeitszimmer"));
    EXPECT_TRUE(PulseServer::poll([&] { return pulse.defaultSink().starts_with("bluez_"); }));
}

INSTANTIATE_TEST_SUITE_P(SoundServers, BluetoothRecallTest,
                         ::testing::Values(SoundServerKind::pulseAudio, SoundServerKind::pipeWire),
                         soundServerName);

}  // namespace
}  // namespace tonvera::testing
