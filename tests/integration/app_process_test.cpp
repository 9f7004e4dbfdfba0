#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/app_session.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;

using SettingsFileTest = AppSession;

TEST_F(SettingsFileTest, AnUnreadableSettingsFileIsKeptAsideAndTwoStartsLeaveOneRunning) {
    const std::string unreadable = R"({"preferredAudioOutput": "Wohn)";
    writeSettings(unreadable);

    AppProcess first(TONVERA_BINARY, environment());
    AppProcess second(TONVERA_BINARY, environment());
    // Exactly one of the two ends at once, handing over to the other.
    AppProcess* ended = nullptr;
    AppProcess* runningOne = nullptr;
    for (int i = 0; i < 200 && ended == nullptr; ++i) {
        if (first.wait(10ms)) {
            ended = &first;
            runningOne = &second;
        } else if (second.wait(10ms)) {
            ended = &second;
            runningOne = &first;
        }
    }
    ASSERT_NE(ended, nullptr) << first.output() << "\n---\n" << second.output();
    EXPECT_EQ(ended->wait(0ms), 0);
    EXPECT_FALSE(runningOne->wait(300ms).has_value()) << runningOne->output();
    AppProcess& running = *runningOne;

    ASSERT_TRUE(
        running.waitForLine("Connect at login enabled — starting initial reconnect for "
                            "Arbeitszimmer",
                            5s))
        << running.output();
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(settingsFile().parent_path())) {
        if (entry.path().filename().string().starts_with("settings.json.unreadable-")) {
            kept.push_back(entry.path());
        }
    }
    ASSERT_EQ(kept.size(), 1U);
    EXPECT_EQ(readFile(kept[0]), unreadable);
    running.signal(SIGTERM);
    EXPECT_EQ(running.wait(5s), 0);
}

}  // namespace
}  // namespace tonvera::testing
