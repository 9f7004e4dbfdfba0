#include "app/cli_commands.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <variant>
#include <vector>

#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include "app/build_config.h"
#include "app/command_line.h"
#include "app/connect_outcome.h"
#include "app/tee_log_sink.h"
#include "platform/linux/desktop_workspace.h"
#include "platform/linux/json_file_user_defaults.h"
#include "platform/linux/posix_process_launcher.h"
#include "platform/linux/posix_shell_script_runner.h"
#include "platform/linux/pulse_connection.h"
#include "platform/linux/pulse_sound_menu.h"
#include "platform/linux/stderr_log_sink.h"
#include "platform/linux/steady_clock.h"
#include "platform/linux/system_log_sink.h"
#include "platform/qt/single_instance.h"
#include "reconnect/reconnect_orchestrator.h"
#include "selection/error_description.h"
#include "selection/output_discovery.h"
#include "settings/app_settings.h"

namespace tonvera::cli {
namespace {

using namespace std::chrono_literals;

// A run takes up to about ten seconds with the usual retries; a stored list of long pauses
// may take longer, and the command still ends on its own.
constexpr auto kConnectAnswerWait = 120s;
constexpr auto kStatusAnswerWait = 2s;
constexpr auto kServerAnswerWait = 2s;

// Drops every line: listing and status speak for themselves on standard output and error.
class SilentLogSink final : public LogSink {
  public:
    void write(LogLevel, std::string_view, std::string_view, std::string_view) override {}
};

// The system log, and for --connect standard error as well: its run's story is its output.
std::shared_ptr<LogSink> logSink(bool tellTheTerminal) {
    const std::string journal(kJournalSocketPath);
    std::error_code error;
    if (std::filesystem::is_socket(journal, error)) {
        auto system = makeSystemLogSink();
        return tellTheTerminal
                   ? std::make_shared<TeeLogSink>(system, std::make_shared<StderrLogSink>())
                   : system;
    }
    return tellTheTerminal ? std::shared_ptr<LogSink>(std::make_shared<StderrLogSink>())
                           : std::make_shared<SilentLogSink>();
}

std::string environmentValue(const char* name) {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): read before any other thread exists.
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The sound server's outputs and the selectors that work them, as the application builds them.
struct SoundServices {
    explicit SoundServices(std::shared_ptr<LogSink> sink)
        : logSink(std::move(sink)),
          soundMenu(std::make_shared<PulseSoundMenu>(PulseSoundMenu::Options{}, logSink)),
          clock(std::make_shared<SteadyClock>()),
          launcher(std::make_shared<PosixProcessLauncher>()),
          selectors{
              .accessibility = soundMenu,
              .applications = soundMenu,
              .workspace = std::make_shared<DesktopWorkspace>(launcher, environmentValue("PATH")),
              .keyboard = soundMenu,
              .launcher = launcher,
              .clock = clock,
              .logSink = logSink,
              .shellScriptRunner = std::make_shared<PosixShellScriptRunner>(launcher),
          } {}

    // The reason a discovery failed, in the words a terminal user needs.
    std::string failure(const std::exception_ptr& error) const {
        if (soundMenu->runningApplications().empty()) {
            return "no sound server answers (is PulseAudio or PipeWire running in this "
                   "session?)";
        }
        return describeError(error);
    }

    std::shared_ptr<LogSink> logSink;
    std::shared_ptr<PulseSoundMenu> soundMenu;
    std::shared_ptr<SteadyClock> clock;
    std::shared_ptr<PosixProcessLauncher> launcher;
    SelectorFactory selectors;
};

AppSettings readSettings(const std::shared_ptr<LogSink>& sink) {
    return AppSettings(
        std::make_shared<JsonFileUserDefaults>(JsonFileUserDefaults::defaultDirectory(),
                                               Logger(sink, std::string(kLogSubsystem), "Settings"),
                                               JsonFileUserDefaults::Access::readOnly));
}

void printLine(std::FILE* stream, const std::string& line) {
    std::fputs((line + "\n").c_str(), stream);
}

int fail(const std::string& message) {
    printLine(stderr, "tonvera: " + message);
    return CommandLine::kExitFailure;
}

// The outputs the Sound menu would list, read straight from the sound server: the same names
// in the same order with the same default, without the menu's open and close waits (most of a
// second) that a script calling this in a loop would pay each time. The menu's own discovery
// stands in when the direct read fails, so what works in the windows works here.
std::variant<OutputDiscovery, std::string> discover(const SoundServices& services) {
    try {
        PulseConnection connection(std::nullopt, kServerAnswerWait);
        const std::string selected = connection.defaultSinkName();
        OutputDiscovery found;
        for (const auto& sink : connection.sinks()) {
            found.outputs.push_back(DiscoveredOutput{sink.description, sink.name == selected});
        }
        return found;
    } catch (const PulseError&) {
        // Fall through to the menu's route, which says why it fails in its own words.
    }
    try {
        return discoverOutputs(services.selectors, {});
    } catch (...) {
        return services.failure(std::current_exception());
    }
}

int connectHere(const std::optional<std::string>& name) {
    const SoundServices services(logSink(true));
    const AppSettings settings = readSettings(services.logSink);
    const std::string target = name.value_or(settings.deviceName());
    ReconnectOrchestrator orchestrator(services.selectors.makeNative(),
                                       services.selectors.makeScript(), services.soundMenu,
                                       services.clock, services.logSink);
    orchestrator.updateRetryDelays(settings.retryDelays());
    const ReconnectResult result = orchestrator.reconnect(target);
    const std::string line = connect_outcome::describe(target, result);
    if (result.selected()) {
        printLine(stdout, line);
    } else {
        printLine(stderr, "tonvera: " + line);
    }
    return connect_outcome::exitStatus(result.status);
}

}  // namespace

int listOutputs(bool json) {
    const SoundServices services(logSink(false));
    const auto found = discover(services);
    if (const auto* reason = std::get_if<std::string>(&found)) {
        return fail("cannot list the outputs: " + *reason);
    }
    const auto& outputs = std::get<OutputDiscovery>(found).outputs;
    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const auto& output : outputs) {
            list.push_back({{"name", output.name}, {"default", output.selected}});
        }
        printLine(stdout, nlohmann::json{{"outputs", list}}.dump(
                              -1, ' ', false, nlohmann::json::error_handler_t::replace));
        return CommandLine::kExitSuccess;
    }
    for (const auto& output : outputs) {
        printLine(stdout, (output.selected ? "* " : "  ") + output.name);
    }
    return CommandLine::kExitSuccess;
}

int connect(const std::optional<std::string>& name) {
    if (name && name->find('\n') != std::string::npos) {
        printLine(stderr, "tonvera: an output name has no line breaks");
        return CommandLine::kExitUsage;
    }
    const SingleInstance instance(SingleInstance::defaultFolder());
    const auto exchange =
        instance.request(name ? "connect " + *name : std::string("connect"), kConnectAnswerWait);
    switch (exchange.outcome) {
        case SingleInstance::Exchange::Outcome::nobodyListens:
            return connectHere(name);
        case SingleInstance::Exchange::Outcome::failed:
            return fail(exchange.error);
        case SingleInstance::Exchange::Outcome::answered:
            break;
    }
    const auto space = exchange.answer.find(' ');
    const auto outcome = connect_outcome::fromWord(exchange.answer.substr(0, space));
    const std::string text = space == std::string::npos ? "" : exchange.answer.substr(space + 1);
    if (!outcome) {
        return fail("the running Tonvera refused: " + (text.empty() ? exchange.answer : text));
    }
    if (*outcome == ReconnectResult::Status::selected) {
        printLine(stdout, text);
    } else {
        printLine(stderr, "tonvera: " + text);
    }
    return connect_outcome::exitStatus(*outcome);
}

int status(bool json) {
    const SoundServices services(logSink(false));
    const AppSettings settings = readSettings(services.logSink);

    nlohmann::json current = nullptr;
    std::string currentText = "none selected";
    const auto found = discover(services);
    if (const auto* reason = std::get_if<std::string>(&found)) {
        currentText = "unknown: " + *reason;
    } else {
        for (const auto& output : std::get<OutputDiscovery>(found).outputs) {
            if (output.selected) {
                current = output.name;
                currentText = output.name;
            }
        }
    }

    const SingleInstance instance(SingleInstance::defaultFolder());
    const auto exchange = instance.request("status", kStatusAnswerWait);
    nlohmann::json running = nullptr;
    std::string runningText = "no";
    std::string trouble;
    if (exchange.outcome == SingleInstance::Exchange::Outcome::answered) {
        running = nlohmann::json::parse(exchange.answer, nullptr, false);
        if (running.is_object()) {
            runningText = "yes (process " + running.value("pid", nlohmann::json()).dump() + ")";
        } else {
            trouble = "the running Tonvera answered with something it should not";
        }
    } else if (exchange.outcome == SingleInstance::Exchange::Outcome::failed) {
        trouble = exchange.error;
    }
    if (!trouble.empty()) {
        running = {{"error", trouble}};
        runningText = "yes, but " + trouble;
    }

    if (json) {
        const nlohmann::ordered_json answer = {
            {"preferredOutput", settings.deviceName()},
            {"currentOutput", current},
            {"connectOnWake", settings.connectOnWake()},
            {"connectAtLogin", settings.connectAtLogin()},
            {"connectWhenSpeakerAppears", settings.connectWhenSpeakerAppears()},
            {"notifyWhenSpeakerStaysAway", settings.notifyWhenSpeakerStaysAway()},
            {"running", !running.is_null()},
            {"instance", running},
        };
        printLine(stdout, answer.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
        return CommandLine::kExitSuccess;
    }
    const auto row = [](std::string_view label, const std::string& value) {
        printLine(stdout, fmt::format("{:<29}{}", label, value));
    };
    const auto onOff = [](bool on) { return std::string(on ? "on" : "off"); };
    row("Preferred output:", settings.deviceName());
    row("Current output:", currentText);
    row("Connect on wake:", onOff(settings.connectOnWake()));
    row("Connect at login:", onOff(settings.connectAtLogin()));
    row("Connect whenever it appears:", onOff(settings.connectWhenSpeakerAppears()));
    row("Notify when it stays away:", onOff(settings.notifyWhenSpeakerStaysAway()));
    row("Tonvera running:", runningText);
    return CommandLine::kExitSuccess;
}

std::string instanceStatus(bool reconnecting) {
    return nlohmann::json{
        {"pid", ::getpid()},
        {"version", build_config::kVersion ? nlohmann::json(std::string(*build_config::kVersion))
                                           : nlohmann::json(nullptr)},
        {"reconnecting", reconnecting},
    }
        .dump();
}

}  // namespace tonvera::cli
