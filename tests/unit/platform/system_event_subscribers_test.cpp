#include "platform/system_event_subscribers.h"

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tonvera {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

TEST(SystemEventSubscribersTest, AHandlerUnsubscribedDuringADeliveryIsNotCalledByIt) {
    SystemEventSubscribers subscribers;
    std::vector<std::string> calls;
    SystemEventToken second = 0;
    SystemEventToken first = 0;
    first = subscribers.subscribe(SystemEvent::didWake, [&] {
        calls.emplace_back("first");
        subscribers.unsubscribe(first);  // itself, while it runs
        subscribers.unsubscribe(second);
    });
    second = subscribers.subscribe(SystemEvent::didWake, [&] { calls.emplace_back("second"); });
    subscribers.subscribe(SystemEvent::screensDidWake, [&] { calls.emplace_back("screens"); });
    subscribers.deliver(SystemEvent::didWake);
    subscribers.deliver(SystemEvent::didWake);
    EXPECT_THAT(calls, ElementsAre("first"));
    EXPECT_EQ(subscribers.size(), 1U);
}

TEST(SystemEventSubscribersTest, UnsubscribingFromAnotherThreadWaitsForTheDeliveryUnderWay) {
    SystemEventSubscribers subscribers;
    std::promise<void> firstRunning;
    std::promise<void> release;
    std::atomic<bool> unsubscribed{false};
    std::atomic<bool> calledAfterwards{false};
    subscribers.subscribe(SystemEvent::didWake, [&] {
        firstRunning.set_value();
        release.get_future().wait();
    });
    const auto second = subscribers.subscribe(SystemEvent::didWake,
                                              [&] { calledAfterwards = unsubscribed.load(); });
    std::thread mainThread([&] { subscribers.deliver(SystemEvent::didWake); });
    firstRunning.get_future().wait();

    auto done = std::async(std::launch::async, [&] {
        subscribers.unsubscribe(second);
        unsubscribed = true;
    });
    // Returning at once would break the promise; give a wrong implementation the chance.
    EXPECT_EQ(done.wait_for(50ms), std::future_status::timeout);
    release.set_value();
    done.get();
    mainThread.join();
    EXPECT_FALSE(calledAfterwards.load());
}

}  // namespace
}  // namespace tonvera
