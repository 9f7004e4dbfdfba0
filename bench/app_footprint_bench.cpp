// Tonvera beside a bare Qt tray application, both run for real in one private desktop session
// (Xvfb, a session bus with a StatusNotifierWatcher, a PulseAudio server): time from start to
// the tray item and to an idle event loop, resident memory, CPU time and voluntary context
// switches over a minute of idling, and the time from a screen wake to the selected speaker.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "process_stats.h"
#include "support/bus_signal.h"
#include "support/child_process.h"
#include "support/pulse_server.h"
#include "support/temporary_directory.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Plays the panel's StatusNotifierWatcher: a host is registered and items may register.
class Watcher final : public QDBusVirtualObject {
  public:
    int registrations = 0;

    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.kde.StatusNotifierWatcher\">"
            "<method name=\"RegisterStatusNotifierItem\"><arg type=\"s\" "
            "direction=\"in\"/></method>"
            "<method name=\"RegisterStatusNotifierHost\"><arg type=\"s\" "
            "direction=\"in\"/></method>"
            "<property name=\"RegisteredStatusNotifierItems\" type=\"as\" access=\"read\"/>"
            "<property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>"
            "<property name=\"ProtocolVersion\" type=\"i\" access=\"read\"/>"
            "</interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        if (member == QLatin1String("RegisterStatusNotifierItem")) {
            ++registrations;
            return connection.send(message.createReply());
        }
        if (member == QLatin1String("RegisterStatusNotifierHost")) {
            return connection.send(message.createReply());
        }
        const QVariantMap properties{
            {QStringLiteral("RegisteredStatusNotifierItems"), QStringList()},
            {QStringLiteral("IsStatusNotifierHostRegistered"), true},
            {QStringLiteral("ProtocolVersion"), 0}};
        if (member == QLatin1String("GetAll")) {
            return connection.send(message.createReply(properties));
        }
        if (member == QLatin1String("Get") && message.arguments().size() == 2) {
            const QVariant value = properties.value(message.arguments().at(1).toString());
            return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
        }
        return false;
    }
};

// One private desktop session for the whole run.
struct Session {
    testing::TemporaryDirectory home;
    testing::ChildProcess display{{"/usr/bin/Xvfb", "-displayfd", "1", "-nolisten", "tcp"}};
    std::string displayName = std::string(":").append(display.readLine());
    testing::ChildProcess busDaemon{
        {"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"}};
    std::string busAddress = busDaemon.readLine();
    testing::PulseServer pulse;
    Watcher watcher;
    QDBusConnection bus =
        QDBusConnection::connectToBus(QString::fromStdString(busAddress), QStringLiteral("bench"));

    Session() {
        bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        bus.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), &watcher);
    }

    void prepareSettings() const {
        const auto folder = home.path() / "config" / "tonvera";
        std::filesystem::create_directories(folder);
        // A user who finished onboarding long ago.
        std::ofstream(folder / "settings.json")
            << R"({"hasCompletedOnboarding": true, "launchAtLoginAsked": true})";
        std::filesystem::create_directories(home.path() / "runtime");
        std::filesystem::permissions(home.path() / "runtime", std::filesystem::perms::owner_all);
    }

    std::vector<std::string> environment() const {
        const std::string root = home.path().string();
        return {"HOME=" + root,
                "PATH=/usr/bin:/bin",
                "LANG=C.UTF-8",
                "DISPLAY=" + displayName,
                "QT_QPA_PLATFORM=xcb",
                "DBUS_SESSION_BUS_ADDRESS=" + busAddress,
                "PULSE_SERVER=" + pulse.address(),
                "XDG_CONFIG_HOME=" + root + "/config",
                "XDG_RUNTIME_DIR=" + root + "/runtime"};
    }

    // Runs the bus until `done` holds or `limit` passes.
    template <typename Condition>
    bool pump(Condition done, std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        while (!done()) {
            if (Clock::now() >= deadline) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            // Look again soon, without keeping a core busy beside the measured process.
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }
};

Session& session() {
    static Session instance;
    return instance;
}

using bench::ProcessStats;
using bench::statsOf;

class Application {
  public:
    Application(const std::string& binary, const std::vector<std::string>& environment) {
        std::vector<char*> argv{const_cast<char*>(binary.c_str()), nullptr};
        std::vector<std::string> env = environment;
        std::vector<char*> envp;
        envp.reserve(env.size() + 1);
        for (auto& entry : env) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Application() {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
};

const char* binaryFor(int which) {
    return which == 0 ? TONVERA_BARE_TRAY_APP : TONVERA_BINARY;
}

// Time until the tray item registers, and until the process stops using the CPU.
void startToIdle(benchmark::State& state) {
    Session& desktop = session();
    desktop.prepareSettings();
    double trayTotal = 0;
    for (auto _ : state) {
        const int before = desktop.watcher.registrations;
        const auto started = Clock::now();
        Application application(binaryFor(static_cast<int>(state.range(0))), desktop.environment());
        if (!desktop.pump([&] { return desktop.watcher.registrations > before; }, 20s)) {
            state.SkipWithError("the tray item never registered");
            return;
        }
        trayTotal += std::chrono::duration<double>(Clock::now() - started).count();
        // Idle once the CPU time stays put for 100 ms.
        auto lastBusy = Clock::now();
        double lastCpu = statsOf(application.pid()).cpuSeconds;
        desktop.pump(
            [&] {
                const double cpu = statsOf(application.pid()).cpuSeconds;
                if (cpu != lastCpu) {
                    lastCpu = cpu;
                    lastBusy = Clock::now();
                }
                return Clock::now() - lastBusy >= 100ms;
            },
            20s);
        state.SetIterationTime(std::chrono::duration<double>(lastBusy - started).count());
    }
    state.counters["to_tray_ms"] = 1000 * trayTotal / static_cast<double>(state.iterations());
}

// A minute of idling, after Tonvera's start-up work (login reconnect, update check) is over.
void idleMinute(benchmark::State& state) {
    Session& desktop = session();
    desktop.prepareSettings();
    for (auto _ : state) {
        Application application(binaryFor(static_cast<int>(state.range(0))), desktop.environment());
        desktop.pump([] { return false; }, 12s);
        const ProcessStats first = statsOf(application.pid());
        desktop.pump([] { return false; }, 60s);
        const ProcessStats last = statsOf(application.pid());
        state.counters["cpu_ms"] = 1000 * (last.cpuSeconds - first.cpuSeconds);
        state.counters["voluntary_switches"] =
            static_cast<double>(last.voluntarySwitches - first.voluntarySwitches);
        state.counters["rss_MiB"] = static_cast<double>(last.residentKiB) / 1024.0;
        state.counters["private_dirty_MiB"] = static_cast<double>(last.privateDirtyKiB) / 1024.0;
        state.SetIterationTime(60.0);
    }
}

// From a screen-wake signal on the bus until the sound server reports the new default, minus
// the waits that come before the switch: the 1 s pause after a wake and the 0.7 s the Sound
// menu is given to open. (The selection's other 0.7 s, verifying and closing, come after.)
void wakeToSelected(benchmark::State& state) {
    Session& desktop = session();
    desktop.prepareSettings();
    desktop.pulse.pactl({"set-default-sink", "wohnzimmer"});
    Application application(TONVERA_BINARY, desktop.environment());
    desktop.pump([] { return false; }, 6s);  // past the reconnect at login
    double rawTotal = 0;
    for (auto _ : state) {
        desktop.pulse.pactl({"set-default-sink", "wohnzimmer"});
        testing::ChildProcess events(
            {"/usr/bin/pactl", "--server=" + desktop.pulse.address(), "subscribe"});
        desktop.pump([] { return false; }, 300ms);
        testing::emitSignalAs(desktop.busAddress, "org.freedesktop.ScreenSaver",
                              "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
                              "ActiveChanged", false);
        // The bus has passed the signal on by now; connecting to it and owning the name, which
        // came before, is no part of the measured time.
        const auto sent = Clock::now();
        // The reader blocks: the signal is out and the bus needs no more pumping.
        for (std::string line = events.readLine(); !line.empty(); line = events.readLine()) {
            if (line.find("'change' on server") != std::string::npos &&
                desktop.pulse.defaultSink() == "arbeitszimmer") {
                break;
            }
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - sent).count();
        rawTotal += seconds;
        state.SetIterationTime(seconds - 1.7);
        desktop.pump([] { return false; }, 3s);  // let the run finish before the next wake
    }
    state.counters["wake_to_default_ms"] =
        1000 * rawTotal / static_cast<double>(state.iterations());
}

BENCHMARK(startToIdle)
    ->ArgName("tonvera")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(idleMinute)
    ->ArgName("tonvera")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(wakeToSelected)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonvera

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
