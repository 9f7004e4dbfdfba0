#include "settings/app_settings.h"

#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/testing/memory_user_defaults.h"

namespace tonvera {
namespace {

using ::testing::ElementsAre;
using testing::MemoryUserDefaults;

struct SettingsFixture : ::testing::Test {
    std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();

    AppSettings load() const { return AppSettings(defaults); }
};

// The defaults themselves show in the menu and the first launch (app tests); that reading
// writes nothing shows in the settings file test.
TEST_F(SettingsFixture, RetryDelaysFollowStoredAttemptsAndInterval) {
    const std::vector<std::tuple<DefaultsValue, DefaultsValue, std::vector<double>>> cases = {
        {std::int64_t{0}, 1.0, {0, 1, 2, 4}},  // 0 means "never set": the default count
        {std::int64_t{4}, 2.5, {0, 2.5, 5, 10}},
        {std::int64_t{-3}, 1.0, {0}},                   // below one: a single attempt
        {std::int64_t{3}, std::int64_t{2}, {0, 2, 4}},  // an integer interval is a number too
        {2.9, 1.0, {0, 1}},                             // a floating count is truncated
        {std::string("3"), 1.0, {0, 1, 2}},
    };
    for (const auto& [attempts, interval, expected] : cases) {
        defaults = std::make_shared<MemoryUserDefaults>();
        defaults->preload("retryAttempts", attempts);
        defaults->preload("retryInterval", interval);
        EXPECT_EQ(load().retryDelays(), expected)
            << "attempts type " << attempts.index() << ", interval type " << interval.index();
    }

    // Huge counts are bounded, and doubling saturates.
    defaults->preload("retryAttempts", std::numeric_limits<std::int64_t>::max());
    defaults->preload("retryInterval", 1e300);
    const auto delays = load().retryDelays();
    ASSERT_EQ(delays.size(), static_cast<std::size_t>(AppSettings::kMaxRetryAttempts));
    EXPECT_EQ(delays[1], 1e300);
    EXPECT_TRUE(std::isinf(delays.back()));
}

TEST_F(SettingsFixture, WrongTypesFallBackPerProperty) {
    defaults->preload("preferredAudioOutput", std::int64_t{7});
    defaults->preload("connectAutomaticallyOnWake", std::string("false"));
    defaults->preload("connectAutomaticallyAtLogin", std::int64_t{0});
    defaults->preload("launchAtLogin", false);
    defaults->preload("retryInterval", std::string("2.5"));
    defaults->preload("hasCompletedOnboarding", std::string("YES"));
    defaults->preload("launchAtLoginAsked", std::string("1"));
    defaults->preload("fallbackAudioOutputs", std::string("Küche"));

    // A string or a number is no boolean, but the two flags are read leniently, as a typed bool
    // getter does; a name alone is not a list.
    const AppSettings settings = load();
    EXPECT_EQ(std::tuple(settings.deviceName(), settings.connectOnWake(), settings.connectAtLogin(),
                         settings.launchAtLogin(), settings.retryInterval(),
                         settings.hasCompletedOnboarding(), settings.launchAtLoginAsked(),
                         settings.fallbackOutputs().empty()),
              std::tuple("Arbeitszimmer", true, true, false, 1.0, true, true, true));
}

TEST_F(SettingsFixture, EveryAssignmentAnnouncesThenStoresThenWritesAndStreamsFollowIt) {
    AppSettings settings = load();
    std::vector<std::string> events;
    auto willChange = settings.observeWillChange(
        [&] { events.push_back("will-change, current " + settings.deviceName()); });
    auto stream = settings.observeDeviceName(
        [&](const std::string& value) {
            events.push_back("new " + value + ", current " + settings.deviceName());
        },
        Observation::skipCurrent);
    std::vector<bool> seenWithCurrent;
    auto withCurrent =
        settings.observeLaunchAtLogin([&](const bool& value) { seenWithCurrent.push_back(value); });

    settings.setDeviceName(" Wohnzimmer ");
    settings.setDeviceName(" Wohnzimmer ");  // unchanged: announced and written all the same
    stream.cancel();
    settings.setDeviceName("Küche");
    settings.setLaunchAtLogin(false);

    EXPECT_THAT(
        std::vector(events.begin(), events.begin() + 4),
        ElementsAre("will-change, current Arbeitszimmer", "new  Wohnzimmer , current Arbeitszimmer",
                    "will-change, current  Wohnzimmer ", "new  Wohnzimmer , current  Wohnzimmer "));
    EXPECT_EQ(events.size(), 6U);  // a cancelled stream hears nothing; the others stay quiet
    EXPECT_THAT(seenWithCurrent, ElementsAre(true, false));
    const auto writes = defaults->writes();
    ASSERT_EQ(writes.size(), 4U);
    EXPECT_EQ(writes[1].key, "preferredAudioOutput");
    EXPECT_EQ(writes[1].value, DefaultsValue(std::string(" Wohnzimmer ")));
}

TEST_F(SettingsFixture, DeviceNameReadsFromAnotherThreadNeverSeeAHalfWrittenName) {
    AppSettings settings = load();
    const std::string first(200, 'a');
    const std::string second(300, 'b');
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done.load()) {
            const std::string name = settings.deviceName();
            torn += name != first && name != second && name != "Arbeitszimmer" ? 1 : 0;
        }
    });
    for (int i = 0; i < 2000; ++i) {
        settings.setDeviceName(i % 2 == 0 ? first : second);
    }
    done = true;
    reader.join();
    EXPECT_EQ(torn.load(), 0);
}

}  // namespace
}  // namespace tonvera
