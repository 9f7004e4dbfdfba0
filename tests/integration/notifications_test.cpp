#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/freedesktop_notifications.h"
#include "platform/testing/blocking_main_queue.h"
#include "platform/testing/memory_log_sink.h"
#include "support/child_process.h"
#include "support/temporary_directory.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

// A private session bus that starts no services of its own (the usual session configuration
// would start an installed notification service on demand).
struct PrivateBus {
    static std::string configuration(const std::filesystem::path& folder) {
        std::ofstream(folder / "bus.conf")
            << "<busconfig><type>session</type><listen>unix:dir=" << folder.string()
            << "</listen><policy context=\"default\"><allow send_destination=\"*\"/><allow "
               "receive_sender=\"*\"/>"
               "<allow own=\"*\"/></policy></busconfig>";
        return (folder / "bus.conf").string();
    }

    TemporaryDirectory folder;
    ChildProcess daemon{{"/usr/bin/dbus-daemon", "--config-file=" + configuration(folder.path()),
                         "--nofork", "--print-address=1"}};
    std::string address = daemon.readLine();
};

TEST(NotificationsTest,
     WithoutAServiceTheLogSaysSoOnceALaterOneShowsAndRunsActionsAndSoDoesItsHeir) {
    PrivateBus bus;
    auto queue = std::make_shared<BlockingMainQueue>();
    auto log = std::make_shared<MemoryLogSink>();
    FreedesktopNotifications notifications(queue, log, bus.address);
    notifications.show({"One", "", std::nullopt}, nullptr);
    ASSERT_TRUE(log->waitForLines(1, 5s));
    notifications.show({"Two", "", std::nullopt}, nullptr);
    // Long enough for the bus to refuse the second call too; it says nothing new.
    std::this_thread::sleep_for(300ms);
    ASSERT_EQ(log->lines().size(), 1U);
    EXPECT_THAT(log->lines().front(), HasSubstr("No notification service answers"));

    ChildProcess server({"/usr/bin/python3", TONVERA_NOTIFICATION_SERVER, bus.address});
    ASSERT_EQ(server.readLine(), "ready");
    log->clear();
    int picked = 0;
    notifications.show({"Speaker not found", "Küche Radio & more did not answer", "Try again"},
                       [&] { ++picked; });
    EXPECT_EQ(server.readLine(),
              R"({"app": "Tonvera", "title": "Speaker not found", "body": "K\u00fcche Radio & )"
              R"(more did not answer", "actions": ["action", "Try again"], "desktopEntry": )"
              R"("tonvera"})");
    ASSERT_TRUE(queue->runNext(5s));
    EXPECT_EQ(picked, 1);

    notifications.show({"Plain", "no action", std::nullopt}, nullptr);
    EXPECT_THAT(server.readLine(), HasSubstr(R"("actions": [])"));
    EXPECT_TRUE(log->lines().empty()) << log->lines().front();

    // Replaced by a service that reads markup: asked again, it gets the body escaped, and only
    // its own picks run actions.
    server.signal(SIGKILL);
    server.wait(5s);
    ChildProcess markup({"/usr/bin/python3", TONVERA_NOTIFICATION_SERVER, bus.address, "markup"});
    ASSERT_EQ(markup.readLine(), "ready");
    int first = 0;
    int second = 0;
    notifications.show({"Not found", "<b>Bad</b> & Küche", "Connect now"}, [&] { ++first; });
    EXPECT_THAT(markup.readLine(),
                HasSubstr(R"("body": "&lt;b&gt;Bad&lt;/b&gt; &amp; K\u00fcche")"));
    notifications.show({"Not found", "Wohnzimmer", "Connect now"}, [&] { ++second; });
    markup.readLine();
    ASSERT_TRUE(queue->runNext(5s));
    EXPECT_EQ(std::pair(first, second), std::pair(0, 1));
}

}  // namespace
}  // namespace tonvera::testing
