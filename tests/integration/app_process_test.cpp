#include "support/app_process.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/posix_process_launcher.h"
#include "platform/linux/system_log_sink.h"
#include "support/child_process.h"
#include "support/pulse_server.h"
#include "support/temporary_directory.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;

// The real application against a private sound server, a private session bus and private
// settings, drawn offscreen.
class AppProcessFixture : public ::testing::Test {
  protected:
    explicit AppProcessFixture(SoundServerKind kind) : pulse(kind) {}

    void SetUp() override {
        if (std::filesystem::exists(kJournalSocketPath)) {
            GTEST_SKIP() << "a journal runs here, so the log does not reach standard error";
        }
        std::filesystem::create_directories(home.path() / "runtime");
        std::filesystem::permissions(home.path() / "runtime", std::filesystem::perms::owner_all);
    }

    std::vector<std::string> environment() const {
        const std::string root = home.path().string();
        std::vector<std::string> environment{
            "HOME=" + root, "PATH=/usr/bin:/bin", "QT_QPA_PLATFORM=offscreen", "LANG=C.UTF-8",
            "PULSE_SERVER=" + pulse.address(), "DBUS_SESSION_BUS_ADDRESS=" + busAddress,
            "DBUS_SYSTEM_BUS_ADDRESS=" + busAddress, "XDG_CONFIG_HOME=" + root + "/config",
            "XDG_RUNTIME_DIR=" + root + "/runtime",
            // The update check, 10 s in, must not leave
            // this machine: a proxy that refuses at once.
            "https_proxy=http://127.0.0.1:9"};
        // A sanitizer build of the application reads its options like the test does.
        for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS"}) {
            // NOLINTNEXTLINE(concurrency-mt-unsafe): read on the test's only thread.
            if (const char* value = std::getenv(name)) {
                environment.push_back(std::string(name) + "=" + value);
            }
        }
        return environment;
    }

    std::unique_ptr<AppProcess> start() {
        return std::make_unique<AppProcess>(TONVERA_BINARY, environment());
    }

    void screensWoke() const {
        const auto result = PosixProcessLauncher().run(
            "/usr/bin/dbus-send",
            {"--bus=" + busAddress, "--type=signal", "/org/freedesktop/ScreenSaver",
             "org.freedesktop.ScreenSaver.ActiveChanged", "boolean:false"},
            10s, {});
        ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    }

    TemporaryDirectory home;
    PulseServer pulse;
    ChildProcess bus{{"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"}};
    std::string busAddress = bus.readLine();
};

struct AppProcessTest : AppProcessFixture, ::testing::WithParamInterface<SoundServerKind> {
    AppProcessTest() : AppProcessFixture(GetParam()) {}
};

struct SettingsFileTest : AppProcessFixture {
    SettingsFileTest() : AppProcessFixture(SoundServerKind::pulseAudio) {}
};

TEST_P(AppProcessTest, SelectsTheSpeakerAtLoginAndAfterAScreenWakeAndQuitsCleanly) {
    const auto started = std::chrono::steady_clock::now();
    const auto app = start();
    ASSERT_TRUE(app->waitForLine("Successfully selected Arbeitszimmer on attempt 1", 15s))
        << app->output();
    EXPECT_GE(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_EQ(pulse.defaultSink(), "arbeitszimmer");

    // Someone switches the output by hand; waking the screens brings it back.
    pulse.pactl({"set-default-sink", "kueche"});
    screensWoke();
    ASSERT_TRUE(app->waitForLine("Successfully selected Arbeitszimmer on attempt 1", 15s, 2))
        << app->output();
    EXPECT_EQ(app->countLines("[AirPlay] Wake detected (screensDidWake)"), 1U);
    EXPECT_EQ(pulse.defaultSink(), "arbeitszimmer");

    // A second start hands over to the running one and ends.
    AppProcess second(TONVERA_BINARY, environment());
    EXPECT_EQ(second.wait(10s), 0) << second.output();
    EXPECT_TRUE(app->waitForLine("Started again", 5s)) << app->output();

    const auto asked = std::chrono::steady_clock::now();
    app->signal(SIGTERM);
    EXPECT_EQ(app->wait(5s), 0) << app->output();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 2s);
    EXPECT_EQ(app->countLines("[AirPlay] App terminating"), 1U);
}

TEST_F(SettingsFileTest, AnUnreadableSettingsFileIsKeptAsideAndTwoStartsLeaveOneRunning) {
    const auto folder = home.path() / "config" / "tonvera";
    std::filesystem::create_directories(folder);
    const std::string unreadable = R"({"preferredAudioOutput": "Wohn)";
    std::ofstream(folder / "settings.json") << unreadable;

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
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with("settings.json.unreadable-")) {
            kept.push_back(entry.path());
        }
    }
    ASSERT_EQ(kept.size(), 1U);
    EXPECT_EQ(readFile(kept[0]), unreadable);
    running.signal(SIGTERM);
    EXPECT_EQ(running.wait(5s), 0);
}

INSTANTIATE_TEST_SUITE_P(Servers, AppProcessTest,
                         ::testing::Values(SoundServerKind::pulseAudio, SoundServerKind::pipeWire),
                         soundServerName);

}  // namespace
}  // namespace tonvera::testing
