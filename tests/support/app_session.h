#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/linux/system_log_sink.h"
#include "support/app_process.h"
#include "support/bus_signal.h"
#include "support/child_process.h"
#include "support/pulse_server.h"
#include "support/temporary_directory.h"

namespace tonvera::testing {

// Ends the application with the test that started it, showing its output when the test failed.
struct ShowOutputOnFailure {
    void operator()(AppProcess* app) const {
        if (::testing::Test::HasFailure()) {
            std::cout << "The application's output:\n" << app->output();
        }
        delete app;  // NOLINT(cppcoreguidelines-owning-memory): the deleter of a unique_ptr
    }
};
using RunningApp = std::unique_ptr<AppProcess, ShowOutputOnFailure>;

// The real application against a private sound server, a private session bus and private
// settings, drawn offscreen.
class AppSession : public ::testing::Test {
  protected:
    explicit AppSession(SoundServerKind kind = SoundServerKind::pulseAudio) : pulse(kind) {}

    void SetUp() override {
        if (std::filesystem::exists(kJournalSocketPath)) {
            GTEST_SKIP() << "a journal runs here, so the log does not reach standard error";
        }
        pulse.pactl({"set-default-sink", "wohnzimmer"});
        std::filesystem::create_directories(home.path() / "runtime");
        std::filesystem::permissions(home.path() / "runtime", std::filesystem::perms::owner_all);
    }

    std::vector<std::string> environment() const {
        const std::string root = home.path().string();
        std::vector<std::string> environment{
            "HOME=" + root, "PATH=/usr/bin:/bin", "QT_QPA_PLATFORM=offscreen", "LANG=C.UTF-8",
            "PULSE_SERVER=" + pulse.address(), "DBUS_SESSION_BUS_ADDRESS=" + busAddress,
            "DBUS_SYSTEM_BUS_ADDRESS=" + systemBusAddress, "XDG_CONFIG_HOME=" + root + "/config",
            "XDG_RUNTIME_DIR=" + root + "/runtime",
            // The update check, 10 s in, must not leave this machine: a proxy that refuses at once.
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

    // A command of the binary, which needs no display: what it printed (standard error too
    // when asked) and its exit status. `first` goes before the session's environment and wins.
    struct Ran {
        int status = -1;
        std::string output;
    };
    Ran run(std::vector<std::string> arguments, bool withErrors = false,
            std::vector<std::string> first = {}) const {
        arguments.insert(arguments.begin(), TONVERA_BINARY);
        for (const auto& entry : environment()) {
            if (entry != "QT_QPA_PLATFORM=offscreen") {
                first.push_back(entry);
            }
        }
        ChildProcess command(arguments, first, withErrors);
        Ran ran;
        while (auto line = command.nextLine()) {
            ran.output += *line + "\n";
        }
        ran.status = command.wait(std::chrono::seconds(30)).value_or(-1);
        return ran;
    }

    // The application in the session's environment, or in `environment` when one is given.
    RunningApp start(std::vector<std::string> environment = {}) const {
        return RunningApp(new AppProcess(
            TONVERA_BINARY, environment.empty() ? this->environment() : std::move(environment)));
    }

    std::filesystem::path settingsFile() const {
        return home.path() / "config" / "tonvera" / "settings.json";
    }
    void writeSettings(const std::string& json) const {
        std::filesystem::create_directories(settingsFile().parent_path());
        std::ofstream(settingsFile()) << json;
    }

    // The screens wake, as the desktop's screen saver announces it. The bus takes the
    // application's signal rules a moment after start: woken until it is heard.
    void wake(AppProcess& app, std::size_t occurrence = 1) const {
        ASSERT_TRUE(PulseServer::poll([&] {
            emitSignalAs(busAddress, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                         "org.freedesktop.ScreenSaver", "ActiveChanged", false);
            return app.waitForLine("Wake detected", std::chrono::milliseconds(200), occurrence);
        }));
    }

    TemporaryDirectory home;
    PulseServer pulse;
    ChildProcess bus{{"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"}};
    std::string busAddress = bus.readLine();
    std::string systemBusAddress = busAddress;  // set by a test with a system bus of its own
};

}  // namespace tonvera::testing
