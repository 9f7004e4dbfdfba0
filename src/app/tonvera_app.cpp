#include "app/tonvera_app.h"

#include <QApplication>
#include <QIcon>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "app/app_delegate.h"
#include "app/build_config.h"
#include "app/instance_requests.h"
#include "app/tee_log_sink.h"
#include "platform/linux/bluez_bluetooth_devices.h"
#include "platform/linux/dbus_status_notifier_watch.h"
#include "platform/linux/dbus_system_events.h"
#include "platform/linux/desktop_workspace.h"
#include "platform/linux/fetcher_http_client.h"
#include "platform/linux/freedesktop_notifications.h"
#include "platform/linux/json_file_user_defaults.h"
#include "platform/linux/linux_desktop_readiness.h"
#include "platform/linux/posix_process_launcher.h"
#include "platform/linux/posix_shell_script_runner.h"
#include "platform/linux/process_signals.h"
#include "platform/linux/pulse_sound_menu.h"
#include "platform/linux/pulse_sound_outputs.h"
#include "platform/linux/stderr_log_sink.h"
#include "platform/linux/steady_clock.h"
#include "platform/linux/system_log_sink.h"
#include "platform/linux/thread_pool_task_runner.h"
#include "platform/linux/uname_system_info.h"
#include "platform/linux/xdg_autostart_login_item.h"
#include "platform/qt/qt_alerts.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/qt_localizer.h"
#include "platform/qt/qt_main_queue.h"
#include "platform/qt/qt_status_item.h"
#include "platform/qt/qt_window_host.h"
#include "platform/qt/single_instance.h"
#include "platform/qt/termination_signals.h"
#include "platform/qt/tray_host_watcher.h"
#include "platform/qt/widgets/onboarding_widget.h"
#include "platform/qt/widgets/settings_widget.h"
#include "ui/onboarding_view.h"
#include "ui/settings_view.h"

namespace tonvera {
namespace {

// Background work: reconnect runs, discovery, the update check and the wake pauses.
constexpr std::size_t kBackgroundThreads = 4;
// How long a second start waits for the running one to answer.
constexpr std::chrono::seconds kReopenWait{5};
// How long the event loop's start waits for the session bus's first answer.
constexpr std::chrono::milliseconds kSessionBusWait{1500};

std::string environmentValue(const char* name) {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): read before any other thread exists.
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::shared_ptr<LogSink> makeLogSink() {
    auto system = makeSystemLogSink();
    // Someone who started Tonvera in a terminal sees its log there as well.
    if (::isatty(STDERR_FILENO) == 1 && !std::dynamic_pointer_cast<StderrLogSink>(system)) {
        return std::make_shared<TeeLogSink>(system, std::make_shared<StderrLogSink>());
    }
    return system;
}

// Qt's accessibility bridge asks the session bus for the accessibility bus when the event loop
// starts, and on a bus that never answers it waits forever. Such a bus has no accessibility
// bus to offer anyway: pointing the bridge at an address that fails at once keeps it off the
// session bus. Only before the other threads start: a change of the environment races with
// every read of it (libpulse, sd-bus and process starts read it on theirs).
void keepAccessibilityOffTheSessionBus() {
    qputenv("AT_SPI_BUS_ADDRESS", "unix:path=/nonexistent/at-spi-bus");
}

QIcon applicationIcon() {
    return QIcon::fromTheme(QStringLiteral("tonvera"),
                            QIcon(QStringLiteral(":/icons/tonvera.svg")));
}

}  // namespace

int TonveraApp::run(int argc, char** argv) {
    resetInheritedSignalDispositions();

    QApplication application(argc, argv);
    // The name panels show for the tray item and the class of our windows. No display name:
    // Qt would append it to every window title ("Tonvera — Welcome — Tonvera").
    QApplication::setApplicationName(QStringLiteral("Tonvera"));
    QApplication::setOrganizationDomain(QStringLiteral("corvanet.com"));
    QApplication::setDesktopFileName(QStringLiteral("tonvera"));
    QApplication::setWindowIcon(applicationIcon());
    // Closing a window never quits: only Quit, a termination signal or the session's end do.
    QApplication::setQuitOnLastWindowClosed(false);

    const auto logSink = makeLogSink();
    const Logger logger(logSink, std::string(kLogSubsystem), "App");

    SingleInstance instance(SingleInstance::defaultFolder());
    std::weak_ptr<AppDelegate> reopenTarget;
    std::weak_ptr<QtWindowHost> reopenWindows;
    const auto claim = instance.claim(instanceRequestHandlers(reopenTarget, reopenWindows, logger));
    if (claim.outcome == SingleInstance::Claim::Outcome::heldByOther) {
        if (instance.askRunningInstanceToReopen(kReopenWait,
                                                environmentValue("XDG_ACTIVATION_TOKEN"))) {
            return 0;
        }
        logger.error("Tonvera is already running but does not answer; try again in a moment");
        return 1;
    }
    if (claim.outcome == SingleInstance::Claim::Outcome::unusable) {
        logger.error("Cannot make sure that only one Tonvera runs: {}", claim.error);
        return 1;
    }
    if (!claim.error.empty()) {
        logger.error("Later starts and the command line cannot reach this Tonvera: {}",
                     claim.error);
    }
    installTranslations();

    // Built in this order and torn down in reverse: the event sources and the pool go before
    // the main queue, which everything posts to.
    const auto mainQueue = std::make_shared<QtMainQueue>(logSink);
    // The tray is shown from the event loop, after the delegate has started, once the session
    // bus has said which panel hosts it, and again whenever a panel comes back. The bus is
    // asked here, before the other threads start: whether it answers decides a change of the
    // environment, which no thread may be reading meanwhile. A silent bus holds the start for
    // at most kSessionBusWait; the delegate's work waits for the event loop anyway.
    const auto statusItem = std::make_shared<QtStatusItem>();
    TrayHostWatcher tray(statusItem, Logger(logSink, std::string(kLogSubsystem), "Tray"));
    auto trayHosts = std::make_unique<DBusStatusNotifierWatch>(
        mainQueue, [&tray](StatusNotifierHost host) { tray.hostChanged(host); });
    if (!trayHosts->busAnswers(kSessionBusWait)) {
        logger.error("The session bus does not answer; accessibility is off for this session");
        keepAccessibilityOffTheSessionBus();
    }
    const auto tasks = std::make_shared<ThreadPoolTaskRunner>(kBackgroundThreads, logSink);
    auto systemEvents = std::make_shared<DBusSystemEvents>(mainQueue, logSink);
    const auto clock = std::make_shared<SteadyClock>();
    const auto launcher = std::make_shared<PosixProcessLauncher>();
    const auto soundMenu = std::make_shared<PulseSoundMenu>(PulseSoundMenu::Options{}, logSink);
    const auto localizer = std::make_shared<QtLocalizer>();
    const auto windows = std::make_shared<QtWindowHost>(applicationIcon());
    reopenWindows = windows;
    windows->addRenderer(
        [](const std::shared_ptr<WindowContent>& content) -> std::unique_ptr<QWidget> {
            if (auto view = std::dynamic_pointer_cast<OnboardingView>(content)) {
                return makeOnboardingWidget(std::move(view));
            }
            if (auto view = std::dynamic_pointer_cast<SettingsView>(content)) {
                return makeSettingsWidget(std::move(view));
            }
            return nullptr;
        });
    const auto version = build_config::kVersion
                             ? std::optional<std::string>(std::string(*build_config::kVersion))
                             : std::nullopt;
    const auto updateChecker = std::make_shared<AppUpdateChecker>(
        std::make_shared<FetcherHttpClient>(
            launcher,
            FetcherHttpClient::locateFetcher(XdgAutostartLoginItem::runningExecutable().string())),
        version, build_config::kUpdateServer);

    AppEnvironment environment{
        .settings = std::make_shared<AppSettings>(std::make_shared<JsonFileUserDefaults>(
            JsonFileUserDefaults::defaultDirectory(),
            Logger(logSink, std::string(kLogSubsystem), "Settings"))),
        .view =
            ViewServices{
                .mainQueue = mainQueue,
                .clock = clock,
                .tasks = tasks,
                .selectors =
                    SelectorFactory{
                        .accessibility = soundMenu,
                        .applications = soundMenu,
                        .workspace =
                            std::make_shared<DesktopWorkspace>(launcher, environmentValue("PATH")),
                        .keyboard = soundMenu,
                        .launcher = launcher,
                        .clock = clock,
                        .logSink = logSink,
                        .shellScriptRunner = std::make_shared<PosixShellScriptRunner>(launcher),
                    },
                .localizer = localizer,
                .application = std::make_shared<QtApplication>(),
                .logSink = logSink,
                .currentVersion = updateChecker->currentVersion(),
                .readiness =
                    std::make_shared<LinuxDesktopReadiness>(LinuxDesktopReadiness::Options{}),
            },
        .alerts = std::make_shared<QtAlerts>(localizer),
        .windows = windows,
        .statusItem = statusItem,
        .loginItem = std::make_shared<XdgAutostartLoginItem>(
            XdgAutostartLoginItem::defaultFolder(), XdgAutostartLoginItem::runningExecutable(),
            XdgAutostartLoginItem::currentDesktops()),
        .systemEvents = systemEvents,
        .systemInfo = std::make_shared<UnameSystemInfo>(),
        .updateChecker = updateChecker,
        .soundOutputs =
            std::make_shared<PulseSoundOutputs>(mainQueue, PulseSoundOutputs::Options{}, logSink),
        .notifications = std::make_shared<FreedesktopNotifications>(mainQueue, logSink),
        .bluetooth = std::make_shared<BluezBluetoothDevices>(mainQueue, logSink),
    };

    auto delegate = AppDelegate::create(std::move(environment));
    reopenTarget = delegate;
    const TerminationSignals terminationSignals;
    delegate->applicationDidFinishLaunching();

    QApplication::exec();

    delegate->applicationWillTerminate();
    // Open windows go first: they hold their views, which hold the services below.
    QApplication::closeAllWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    tasks->shutdown();
    delegate.reset();
    systemEvents.reset();
    trayHosts.reset();
    mainQueue->stop();
    return 0;
}

}  // namespace tonvera
