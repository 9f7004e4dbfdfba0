#include <filesystem>
#include <thread>

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

    const auto first = start();
    const auto second = start();
    // Exactly one of the two ends at once, handing over to the other.
    AppProcess* running = nullptr;
    for (int i = 0; i < 200 && running == nullptr; ++i) {
        if (first->wait(10ms)) {
            running = second.get();
        } else if (second->wait(10ms)) {
            running = first.get();
        }
    }
    ASSERT_NE(running, nullptr);
    EXPECT_EQ((running == first.get() ? second : first)->wait(0ms), 0);
    EXPECT_FALSE(running->wait(300ms).has_value());
    ASSERT_TRUE(running->waitForLine("starting initial reconnect for Arbeitszimmer", 5s));
    std::vector<std::string> kept;  // what each file set aside holds
    for (const auto& entry : std::filesystem::directory_iterator(settingsFile().parent_path())) {
        if (entry.path().filename().string().starts_with("settings.json.unreadable-")) {
            kept.push_back(readFile(entry.path()));
        }
    }
    EXPECT_EQ(kept, std::vector{unreadable});
    running->signal(SIGTERM);
    EXPECT_EQ(running->wait(5s), 0);
}

TEST_F(SettingsFileTest, QuittingWhileTheLoginQuestionIsOpenAnswersNothing) {
    writeSettings(R"({"hasCompletedOnboarding": true})");
    const auto app = start();
    ASSERT_TRUE(app->waitForLine("Registered as login item", 5s));
    std::this_thread::sleep_for(2500ms);  // the question opens 1.5 s after start
    app->signal(SIGTERM);
    EXPECT_EQ(app->wait(5s), 0);
    EXPECT_EQ(app->countLines("Launch at login"), 0U);
    EXPECT_EQ(readFile(settingsFile()).find("launchAtLoginAsked"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(home.path() / "config/autostart/tonvera.desktop"));
}

}  // namespace
}  // namespace tonvera::testing
