// BlueZ's devices, with a mock BlueZ on a private system bus.
#include "platform/linux/bluez_bluetooth_devices.h"

#include <csignal>
#include <thread>
#include <tuple>
#include <utility>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/testing/blocking_main_queue.h"
#include "platform/testing/memory_log_sink.h"
#include "support/listening_socket.h"
#include "support/mock_system_bus.h"
#include "support/processor_time.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Status = BluetoothLookup::Status;
using Outcome = BluetoothConnectResult::Outcome;

constexpr const char* kBox = "AA:BB:CC:DD:EE:FF";

// How long `work` takes.
template <typename Work>
std::chrono::steady_clock::duration timed(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::steady_clock::now() - start;
}

struct BluezBluetoothDevicesTest : ::testing::Test {
    testing::MockSystemBus bus;
    std::shared_ptr<testing::BlockingMainQueue> mainQueue =
        std::make_shared<testing::BlockingMainQueue>();
    std::shared_ptr<testing::MemoryLogSink> log = std::make_shared<testing::MemoryLogSink>();
    BluezBluetoothDevices devices{mainQueue, log, bus.address()};

    std::pair<Outcome, std::string> connect(std::chrono::milliseconds bound = 5s,
                                            const std::stop_token& stop = {}) {
        const auto result = devices.connect(kBox, bound, stop);
        return {result.outcome, result.reason};
    }
};

TEST_F(BluezBluetoothDevicesTest, FindsDevicesWithTheirAdaptersPowerAndConnectsAsBluezAnswers) {
    EXPECT_EQ(devices.lookUp(kBox, 5s).status, Status::noAdapter);
    bus.addAdapter("hci0");
    bus.addDevice("hci0", kBox, "Küche Box");
    bus.addAdapter("hci1", false);
    bus.addDevice("hci1", "11:22:33:44:55:66", "Kopfhörer", false);
    EXPECT_EQ(devices.lookUp("aa:bb:cc:dd:ee:ff", 5s).device,
              (BluetoothDevice{kBox, "Küche Box", true, false, true}));
    EXPECT_EQ(devices.lookUp("11:22:33:44:55:66", 5s).device,
              (BluetoothDevice{"11:22:33:44:55:66", "Kopfhörer", false, false, false}));
    bus.setConnected(kBox, true);
    EXPECT_TRUE(devices.lookUp(kBox, 5s).device.connected);
    EXPECT_EQ(devices.lookUp("00:00:00:00:00:01", 5s).status, Status::unknownDevice);
    EXPECT_EQ(bus.calls(kBox), "") << "a look-up asks nothing of the device";

    // Connecting, after failures, as BlueZ answers each try.
    bus.setConnected(kBox, false);
    bus.failConnects(kBox, 2, "org.bluez.Error.Failed", "Page Timeout");
    const std::pair failed(Outcome::failed, std::string("org.bluez.Error.Failed: Page Timeout"));
    const std::pair connected(Outcome::connected, std::string());
    EXPECT_EQ((std::tuple{connect(), connect(), connect()}), std::tuple(failed, failed, connected));
    EXPECT_TRUE(devices.lookUp(kBox, 5s).device.connected);
    // Already connected, and a connection under way, are what was asked for.
    EXPECT_EQ(connect(), connected);
    bus.setConnected(kBox, false);
    bus.failConnects(kBox, 1, "org.bluez.Error.InProgress", "In Progress");
    EXPECT_EQ(connect(), connected);

    // A connect never answered ends at its bound, or as soon as it is stopped.
    bus.hangConnects(kBox);
    EXPECT_THAT(timed([&] { EXPECT_EQ(connect(500ms).first, Outcome::timedOut); }),
                ::testing::AllOf(::testing::Ge(500ms), ::testing::Lt(2s)));
    std::stop_source stop;
    const std::jthread stopper([&stop] {
        std::this_thread::sleep_for(200ms);
        stop.request_stop();
    });
    EXPECT_LT(timed([&] { EXPECT_EQ(connect(30s, stop.get_token()).first, Outcome::cancelled); }),
              2s);
    // Seven connects, and nothing else asked of the device (no pairing, no disconnect).
    EXPECT_EQ(bus.calls(kBox), "Connect Connect Connect Connect Connect Connect Connect");
}

TEST_F(BluezBluetoothDevicesTest, APersonsDisconnectReachesTheWatchWhichCostsNothingMeanwhile) {
    bus.addAdapter("hci0");
    bus.addDevice("hci0", kBox, "Küche Box");
    bus.setConnected(kBox, true);
    std::vector<std::string> disconnected;
    auto watch =
        devices.watchDisconnects([&](const auto& address) { disconnected.push_back(address); });
    ASSERT_TRUE(log->waitForLines(1, 10s));
    EXPECT_THAT(log->lines(), ElementsAre("info: Watching Bluetooth disconnects"));
    const auto before = testing::processorTime();
    std::this_thread::sleep_for(1s);
    EXPECT_LT(testing::processorTime() - before, 100ms);

    bus.setConnected(kBox, false);
    ASSERT_TRUE(mainQueue->runNext(10s));
    EXPECT_THAT(disconnected, ElementsAre(kBox));
    // Connecting is no disconnect; after the watch, nothing reaches its handler.
    bus.setConnected(kBox, true);
    EXPECT_FALSE(mainQueue->runNext(300ms));
    watch.reset();
    bus.setConnected(kBox, false);
    while (mainQueue->runNext(300ms)) {
    }
    EXPECT_EQ(disconnected.size(), 1U);

    // A bus that dies ends the next watch without spinning.
    watch = devices.watchDisconnects([](const auto&) {});
    ASSERT_TRUE(log->waitForLines(2, 10s));
    ::kill(bus.busPid(), SIGKILL);
    ASSERT_TRUE(log->waitForLines(3, 10s));
    EXPECT_THAT(log->lines()[2], HasSubstr("Lost the system bus"));
    const auto afterLoss = testing::processorTime();
    std::this_thread::sleep_for(500ms);
    EXPECT_LT(testing::processorTime() - afterLoss, 100ms);
}

TEST(BluezWithoutBluezTest, EachAnswerSaysWhatIsMissingWithinItsBound) {
    const auto mainQueue = std::make_shared<testing::BlockingMainQueue>();
    const auto log = std::make_shared<testing::MemoryLogSink>();
    testing::ChildProcess plainBus{
        {"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"}};
    const testing::ListeningSocket silent;
    const std::string nowhere = "unix:path=/nonexistent/tonvera-test-bus";
    // A bus, what a look-up says and how long it takes at least, what a connect says.
    using Case = std::tuple<std::string, Status, std::string, Outcome, std::chrono::milliseconds>;
    for (const auto& [address, status, detail, connect, least] : std::vector<Case>{
             {plainBus.readLine(), Status::noService, "NameHasNoOwner", Outcome::failed, 0ms},
             {nowhere, Status::noSystemBus, "not reachable", Outcome::failed, 0ms},
             {silent.busAddress(), Status::noSystemBus, "did not answer", Outcome::timedOut,
              800ms}}) {
        SCOPED_TRACE(address);
        BluezBluetoothDevices devices(mainQueue, log, address);
        BluetoothLookup lookup;
        const auto took = timed([&] { lookup = devices.lookUp(kBox, 800ms); });
        EXPECT_EQ(lookup.status, status);
        EXPECT_THAT(lookup.detail, HasSubstr(detail));
        EXPECT_THAT(took, ::testing::AllOf(::testing::Ge(least), ::testing::Lt(least + 400ms)));
        EXPECT_EQ(devices.connect(kBox, 300ms, {}).outcome, connect);
    }
    const auto watch =
        BluezBluetoothDevices(mainQueue, log, nowhere).watchDisconnects([](const auto&) {});
    ASSERT_TRUE(log->waitForLines(1, 10s));
    EXPECT_THAT(log->lines(), ElementsAre(HasSubstr("The system bus is not reachable")));
}

}  // namespace
}  // namespace tonvera
