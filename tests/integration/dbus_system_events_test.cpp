#include "platform/linux/dbus_system_events.h"

#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/posix_process_launcher.h"
#include "platform/testing/blocking_main_queue.h"
#include "platform/testing/memory_log_sink.h"
#include "support/child_process.h"

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

    void send(const std::string& path, const std::string& signal, bool value) {
        PosixProcessLauncher launcher;
        const auto result = launcher.run("/usr/bin/dbus-send",
                                         {"--bus=" + address, "--type=signal", path, signal,
                                          value ? "boolean:true" : "boolean:false"},
                                         10s, {});
        ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    }
};

TEST_F(DBusSystemEventsTest, SignalsBecomeEventsOnTheMainThread) {
    ASSERT_THAT(address, HasSubstr("unix:"));
    DBusSystemEvents events(mainQueue, log, address, address);
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

    send("/org/freedesktop/login1", "org.freedesktop.login1.Manager.PrepareForSleep",
         true);  // going down: nothing
    send("/org/freedesktop/login1", "org.freedesktop.login1.Manager.PrepareForSleep", false);
    send("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver.ActiveChanged", true);
    send("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver.ActiveChanged", false);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(mainQueue->runNext(10s)) << "event " << i << " did not arrive";
    }
    EXPECT_THAT(seen, ElementsAre("didWake", "screensDidSleep", "screensDidWake"));

    events.unsubscribe(sleepToken);
    send("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver.ActiveChanged", true);
    ASSERT_TRUE(mainQueue->runNext(10s));
    EXPECT_EQ(seen.size(), 3U);
    EXPECT_TRUE(log->lines().empty());
}

TEST_F(DBusSystemEventsTest, AMissingBusIsLoggedOnceAndTheOtherStillWorks) {
    DBusSystemEvents events(mainQueue, log, "unix:path=/nonexistent/tonvera-test-bus", address);
    int wakes = 0;
    events.subscribe(SystemEvent::screensDidWake, [&] { ++wakes; });
    send("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver.ActiveChanged", false);
    ASSERT_TRUE(mainQueue->runNext(10s));
    EXPECT_EQ(wakes, 1);
    ASSERT_EQ(log->lines().size(), 1U);
    EXPECT_THAT(log->lines()[0], HasSubstr("The system bus is not reachable"));
}

TEST_F(DBusSystemEventsTest, ADaemonThatGoesAwayIsLoggedAndNothingHangs) {
    auto events = std::make_unique<DBusSystemEvents>(mainQueue, log, address, address);
    ::kill(daemon.pid(), SIGTERM);
    // The watcher notices both closed connections; destruction still returns promptly.
    EXPECT_TRUE(log->waitForLines(2, 10s));
    events.reset();
    EXPECT_THAT(log->lines(), ::testing::Contains(HasSubstr("Lost the system bus")));
}

}  // namespace
}  // namespace tonvera
