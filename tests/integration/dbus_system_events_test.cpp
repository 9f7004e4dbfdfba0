#include "platform/linux/dbus_system_events.h"

#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/dbus_status_notifier_watch.h"
#include "platform/linux/linux_desktop_readiness.h"
#include "platform/testing/blocking_main_queue.h"
#include "platform/testing/memory_log_sink.h"
#include "support/bus_signal.h"
#include "support/child_process.h"
#include "support/listening_socket.h"
#include "support/mock_system_bus.h"
#include "support/processor_time.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A private bus daemon for the test, playing both the system and the session bus.
class DBusSystemEventsTest : public ::testing::Test {
  protected:
    testing::ChildProcess daemon{
        {"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"}};
    std::string address = daemon.readLine();
    std::shared_ptr<testing::BlockingMainQueue> mainQueue =
        std::make_shared<testing::BlockingMainQueue>();
    std::shared_ptr<testing::MemoryLogSink> log = std::make_shared<testing::MemoryLogSink>();

    void sendSleep(bool goingToSleep, const std::string& owner = "org.freedesktop.login1",
                   const std::string& path = "/org/freedesktop/login1") const {
        testing::emitSignalAs(address, owner, path, "org.freedesktop.login1.Manager",
                              "PrepareForSleep", goingToSleep);
    }
    void sendScreenSaver(const std::string& vendor, bool active, std::string path = {}) const {
        const std::string name = "org." + vendor + ".ScreenSaver";
        path = path.empty() ? "/org/" + vendor + "/ScreenSaver" : path;
        testing::emitSignalAs(address, name, path, name, "ActiveChanged", active);
    }
    // A wake addressed to each connection on the bus, from one that owns no name.
    void sendWakeToEachConnection() const {
        const auto bus = testing::openBus(address);
        char** names = nullptr;
        testing::checkBus(sd_bus_list_names(bus.get(), &names, nullptr), "ListNames");
        for (char** name = names; *name != nullptr; ++name) {
            sd_bus_message* message = nullptr;
            sd_bus_message_new_signal(bus.get(), &message, "/org/freedesktop/login1",
                                      "org.freedesktop.login1.Manager", "PrepareForSleep");
            sd_bus_message_append(message, "b", 0);
            testing::checkBus(sd_bus_send_to(bus.get(), message, *name, nullptr), *name);
            sd_bus_message_unref(message);
            free(*name);  // NOLINT(cppcoreguidelines-no-malloc): sd-bus hands out malloc'd names
        }
        free(names);  // NOLINT(cppcoreguidelines-no-malloc)
        // Answered once the bus has routed the signals before it.
        testing::checkBus(
            sd_bus_call_method(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", "GetId", nullptr, nullptr, ""),
            "GetId");
    }
};

TEST_F(DBusSystemEventsTest, SignalsOfTheServicesBecomeEventsOnTheMainThreadAndALostBusIsLogged) {
    DBusSystemEvents events(mainQueue, log, address, address);
    ASSERT_TRUE(events.waitUntilWatching(10s));
    std::vector<std::string> seen;
    const auto mainThread = std::this_thread::get_id();
    const auto record = [&](const char* name) {
        return [&seen, &mainThread, name] {
            EXPECT_EQ(std::this_thread::get_id(), mainThread);
            seen.emplace_back(name);
        };
    };
    events.subscribe(SystemEvent::didWake, record("didWake"));
    events.subscribe(SystemEvent::screensDidWake, record("screensDidWake"));
    const auto sleepToken =
        events.subscribe(SystemEvent::screensDidSleep, record("screensDidSleep"));

    // The two buses are two connections, whose signals may be handled in either order: each
    // event is awaited before a signal comes on the other bus.
    const auto arrives = [&] { return mainQueue->runNext(10s); };
    sendSleep(true);  // going to sleep: no event, or it would stand in for the screen saver's
    sendScreenSaver("gnome", true);
    ASSERT_TRUE(arrives());
    // Fakes from a program that does not own logind's name, from a wrong path, and addressed
    // to each connection: none arrives, or it would come before the real wake.
    sendSleep(false, "org.example.Impostor");
    sendSleep(false, "org.freedesktop.login1", "/org/freedesktop/login1/session/self");
    sendWakeToEachConnection();
    sendSleep(false);
    ASSERT_TRUE(arrives());
    sendScreenSaver("freedesktop", false, "/ScreenSaver");
    ASSERT_TRUE(arrives());
    EXPECT_THAT(seen, ElementsAre("screensDidSleep", "didWake", "screensDidWake"));

    events.unsubscribe(sleepToken);
    sendScreenSaver("gnome", true);
    ASSERT_TRUE(mainQueue->runNext(10s));
    EXPECT_EQ(seen.size(), 3U);
    EXPECT_TRUE(log->lines().empty());

    // The watcher notices both closed connections; destruction still returns promptly.
    ::kill(daemon.pid(), SIGTERM);
    EXPECT_TRUE(log->waitForLines(2, 10s));
    EXPECT_THAT(log->lines(), ::testing::Contains(HasSubstr("Lost the system bus")));
}

TEST_F(DBusSystemEventsTest, TheLoginManagersWakeOnASystemBusOfItsOwnIsAWake) {
    const testing::MockSystemBus systemBus;
    DBusSystemEvents events(mainQueue, log, systemBus.address(), address);
    ASSERT_TRUE(events.waitUntilWatching(10s));
    int wakes = 0;
    events.subscribe(SystemEvent::didWake, [&] { ++wakes; });
    systemBus.prepareForSleep(true);
    systemBus.prepareForSleep(false);
    ASSERT_TRUE(mainQueue->runNext(10s));
    EXPECT_EQ(wakes, 1);
    EXPECT_FALSE(mainQueue->runNext(200ms)) << "going to sleep is no event";
    EXPECT_TRUE(log->lines().empty());
}

TEST_F(DBusSystemEventsTest, ABusThatNeverAnswersDelaysNothingAndCostsNothing) {
    const testing::ListeningSocket silent;
    const std::string silentAddress = silent.busAddress();
    const auto watchStarted = std::chrono::steady_clock::now();
    const DBusStatusNotifierWatch trayHosts(
        mainQueue, [](StatusNotifierHost) {}, silentAddress);
    auto start = std::chrono::steady_clock::now();
    LinuxDesktopReadiness readiness(
        {.bound = 300ms, .sessionBus = silentAddress, .systemBus = silentAddress});
    readiness.trayHostPresent();  // an X server's tray may answer, the bus part must not hold
    EXPECT_FALSE(readiness.systemBusReachable());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);

    start = std::chrono::steady_clock::now();
    auto events = std::make_unique<DBusSystemEvents>(mainQueue, log, silentAddress, address);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    // A system bus that is not there at all is said once; the session bus still works.
    DBusSystemEvents withoutSystemBus(mainQueue, log, "unix:path=/nonexistent/bus", address);
    ASSERT_TRUE(withoutSystemBus.waitUntilWatching(10s));
    std::pair wakes(0, 0);
    events->subscribe(SystemEvent::screensDidWake, [&] { ++wakes.first; });
    withoutSystemBus.subscribe(SystemEvent::screensDidWake, [&] { ++wakes.second; });
    for (int i = 0; i < 50 && (wakes.first == 0 || wakes.second == 0); ++i) {
        sendScreenSaver("gnome", false);  // until the healthy bus's matches are in place
        mainQueue->runNext(200ms);
    }
    EXPECT_GE(std::min(wakes.first, wakes.second), 1);
    EXPECT_THAT(log->lines(), ElementsAre(HasSubstr("The system bus is not reachable")));

    // Idle, every watch waits without spinning: the tray's once it has said that its bus is
    // silent (after 3 s), the system events' on the silent bus and on the live one alike.
    std::this_thread::sleep_until(watchStarted + 3500ms);
    const auto before = testing::processorTime();
    std::this_thread::sleep_for(2s);
    EXPECT_LT(testing::processorTime() - before, 100ms);

    start = std::chrono::steady_clock::now();
    events.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
}

}  // namespace
}  // namespace tonvera
