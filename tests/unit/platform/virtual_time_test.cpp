#include "platform/testing/virtual_time.h"

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;

TEST(VirtualTimeTest, AdvancingReleasesSleepersAndBlocksInDeadlineOrder) {
    VirtualTime time;
    std::mutex mutex;
    std::vector<std::string> events;
    const auto record = [&](std::string event) {
        std::lock_guard lock(mutex);
        events.push_back(std::move(event) + "@" + std::to_string(time.elapsed() / 1ms));
    };

    std::thread late([&] {
        EXPECT_TRUE(time.sleepFor(3s, {}));
        record("sleeper 3s");
    });
    std::thread early([&] {
        time.sleepFor(1s, {});
        record("sleeper 1s");
    });
    time.waitForSleepers(2);
    time.postAfter(2s, [&] {
        record("block 2s");
        time.post([&] { record("posted by block"); });
    });
    time.post([&] { record("block now"); });

    time.advanceBy(2500ms);
    early.join();  // released at its deadline; what it does next runs concurrently
    {
        std::lock_guard lock(mutex);
        EXPECT_THAT(events, ::testing::IsSupersetOf(
                                {"block now@0", "block 2s@2000", "posted by block@2000"}));
        EXPECT_EQ(events.size(), 4U);
        EXPECT_EQ(events[0], "block now@0");
    }
    time.waitForSleepers(1);  // the late sleeper is still asleep
    time.advanceBy(1s);
    late.join();
    EXPECT_THAT(events.back(), ::testing::StartsWith("sleeper 3s@"));
    EXPECT_EQ(time.elapsed(), 3500ms);
}

}  // namespace
}  // namespace tonvera::testing
