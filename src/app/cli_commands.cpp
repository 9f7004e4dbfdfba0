#include "app/cli_commands.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include "app/cli_localizer.h"
#include "app/command_line.h"
#include "app/connect_outcome.h"
#include "app/ranking_report.h"
#include "app/tee_log_sink.h"
#include "app/terminal_text.h"
#include "platform/linux/bluez_bluetooth_devices.h"
#include "platform/linux/desktop_workspace.h"
#include "platform/linux/errno_text.h"
#include "platform/linux/file_lock.h"
#include "platform/linux/instance_client.h"
#include "platform/linux/json_file_user_defaults.h"
#include "platform/linux/posix_process_launcher.h"
#include "platform/linux/posix_shell_script_runner.h"
#include "platform/linux/pulse_connection.h"
#include "platform/linux/pulse_sound_menu.h"
#include "platform/linux/pulse_sound_outputs.h"
#include "platform/linux/stderr_log_sink.h"
#include "platform/linux/steady_clock.h"
#include "platform/linux/system_log_sink.h"
#include "reconnect/output_ranking.h"
#include "reconnect/reconnect_orchestrator.h"
#include "selection/error_description.h"
#include "selection/output_discovery.h"
#include "settings/app_settings.h"
#include "ui/text_format.h"

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
    std::string failure(const Localizer& localizer, const std::exception_ptr& error) const {
        if (soundMenu->runningApplications().empty()) {
            return localizer.localized(TONVERA_TRANSLATE(
                "Tonvera",
                "no sound server answers (is PulseAudio or PipeWire running in this session?)",
                "Command line: no sound server"));
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

std::string localizedFormat(const Localizer& localizer, const LocalizedText& format,
                            std::initializer_list<std::string_view> arguments) {
    return formatText(localizer.localized(format), arguments);
}

// Why the running Tonvera could not be asked, in the user's language.
std::string instanceTrouble(const Localizer& localizer, const InstanceClient::Exchange& exchange,
                            std::chrono::seconds limit) {
    using Failure = InstanceClient::Exchange::Failure;
    switch (exchange.failure) {
        case Failure::unreachable:
            return localizedFormat(
                localizer,
                TONVERA_TRANSLATE("Tonvera", "cannot reach the running Tonvera: %@",
                                  "Command line: instance unreachable"),
                {exchange.detail});
        case Failure::notAnswering:
            return localizedFormat(
                localizer,
                TONVERA_TRANSLATE("Tonvera", "the running Tonvera did not answer within %@ s",
                                  "Command line: instance silent"),
                {std::to_string(limit.count())});
        case Failure::closedEarly:
            return localizer.localized(TONVERA_TRANSLATE(
                "Tonvera", "the running Tonvera closed the connection without an answer",
                "Command line: instance hung up"));
        case Failure::none:
        case Failure::unexpectedAnswer:
            break;
    }
    return localizer.localized(
        TONVERA_TRANSLATE("Tonvera", "the running Tonvera answered with something it should not",
                          "Command line: instance answered nonsense"));
}

// The outcome line of a connect: on standard output when the output is selected, else as an
// error.
int report(ReconnectResult::Status status, const std::string& line) {
    if (status == ReconnectResult::Status::selected) {
        printLine(stdout, terminalText(line));
    } else {
        printLine(stderr, "tonvera: " + terminalText(line));
    }
    return connect_outcome::exitStatus(status);
}

// The outputs the Sound menu would list, read straight from the sound server: the same names
// in the same order with the same default, without the menu's open and close waits (most of a
// second) that a script calling this in a loop would pay each time. The menu's own discovery
// stands in when the direct read fails, so what works in the windows works here.
std::variant<OutputDiscovery, std::string> discover(const Localizer& localizer,
                                                    const SoundServices& services) {
    try {
        PulseConnection connection(std::nullopt, kServerAnswerWait);
        const auto [sinks, selected] = connection.sinksAndDefault();
        OutputDiscovery found;
        for (const auto& sink : sinks) {
            found.outputs.push_back(DiscoveredOutput{sink.description, sink.name == selected});
        }
        return found;
    } catch (const PulseError&) {
        // Fall through to the menu's route, which says why it fails in its own words.
    }
    try {
        return discoverOutputs(services.selectors, {});
    } catch (...) {
        return services.failure(localizer, std::current_exception());
    }
}

// The outputs there are, read once, for the list's step after the preferred output gave up.
SoundOutputs::List presentOutputs() {
    return PulseSoundOutputs::readOnce(std::nullopt, kServerAnswerWait);
}

// A reconnect run by this process, while no Tonvera runs: one at a time per session, as in
// the running Tonvera, by a lock held for the run and dropped by the kernel if we die.
int connectHere(const Localizer& localizer, const std::optional<std::string>& name) {
    const auto noLock = [&localizer](const std::string& reason) {
        return fail(localizedFormat(
            localizer,
            TONVERA_TRANSLATE("Tonvera", "cannot make sure that only one reconnect runs: %@",
                              "Command line: no lock for the run"),
            {reason}));
    };
    const auto folder = InstanceClient::defaultFolder();
    if (!folder) {
        return noLock(localizer.localized(TONVERA_TRANSLATE(
            "Tonvera", "the session has no private runtime folder (XDG_RUNTIME_DIR)",
            "Command line: no runtime folder")));
    }
    if (::mkdir(folder->c_str(), S_IRWXU) != 0 && errno != EEXIST) {
        return noLock(errnoText(errno));
    }
    const FileLock lock = FileLock::tryTake(*folder / "connect.lock");
    if (lock.state() == FileLock::State::heldByOther) {
        const ReconnectResult busy{ReconnectResult::Status::alreadyRunning, {}};
        return report(busy.status, connect_outcome::describe(localizer, name.value_or(""), busy));
    }
    if (lock.state() == FileLock::State::failed) {
        return noLock(lock.error().message());
    }
    const SoundServices services(logSink(true));
    const AppSettings settings = readSettings(services.logSink);
    const std::string target = name.value_or(settings.deviceName());
    ReconnectOrchestrator orchestrator(services.selectors.makeNative(),
                                       services.selectors.makeScript(), services.soundMenu,
                                       services.clock, services.logSink);
    orchestrator.updateRetryDelays(settings.retryDelays());
    orchestrator.setPresentOutputs(presentOutputs);
    // Without a name: the preferred output, and the list when it is not there.
    const ReconnectResult result = name ? orchestrator.reconnect(target)
                                        : orchestrator.reconnectBest(OutputRanking::of(settings));
    return report(result.status, connect_outcome::describe(localizer, target, result));
}

}  // namespace

int listOutputs(const Localizer& localizer, bool json) {
    const SoundServices services(logSink(false));
    const auto found = discover(localizer, services);
    if (const auto* reason = std::get_if<std::string>(&found)) {
        return fail(localizedFormat(localizer,
                                    TONVERA_TRANSLATE("Tonvera", "cannot list the outputs: %@",
                                                      "Command line: listing failed"),
                                    {*reason}));
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
        printLine(stdout, (output.selected ? "* " : "  ") + terminalText(output.name));
    }
    return CommandLine::kExitSuccess;
}

int connect(const Localizer& localizer, const std::optional<std::string>& name) {
    if (name && name->find('\n') != std::string::npos) {
        printLine(stderr, "tonvera: " + localizer.localized(TONVERA_TRANSLATE(
                                            "Tonvera", "an output name has no line breaks",
                                            "Command line: connect to a name with a line break")));
        return CommandLine::kExitUsage;
    }
    const InstanceClient instance(InstanceClient::defaultFolder().value_or(""));
    const auto exchange =
        instance.request(name ? "connect " + *name : std::string("connect"), kConnectAnswerWait);
    switch (exchange.outcome) {
        case InstanceClient::Exchange::Outcome::nobodyListens:
            return connectHere(localizer, name);
        case InstanceClient::Exchange::Outcome::failed:
            return fail(instanceTrouble(localizer, exchange, kConnectAnswerWait));
        case InstanceClient::Exchange::Outcome::answered:
            break;
    }
    const auto space = exchange.answer.find(' ');
    const auto outcome = connect_outcome::fromWord(exchange.answer.substr(0, space));
    const std::string text = space == std::string::npos ? "" : exchange.answer.substr(space + 1);
    if (!outcome) {
        return fail(localizedFormat(localizer,
                                    TONVERA_TRANSLATE("Tonvera", "the running Tonvera refused: %@",
                                                      "Command line: instance refused"),
                                    {terminalText(text.empty() ? exchange.answer : text)}));
    }
    return report(*outcome, text);
}

int status(const Localizer& localizer, bool json) {
    const auto text = [&localizer](const LocalizedText& format, std::string_view argument = {}) {
        return formatText(localizer.localized(format), {argument});
    };
    const SoundServices services(logSink(false));
    const AppSettings settings = readSettings(services.logSink);
    bool answered = true;

    nlohmann::json current = nullptr;
    std::string currentText = text(
        TONVERA_TRANSLATE("Tonvera", "none selected", "Command line: status, no current output"));
    const auto found = discover(localizer, services);
    if (const auto* reason = std::get_if<std::string>(&found)) {
        answered = false;
        currentText = text(
            TONVERA_TRANSLATE("Tonvera", "unknown: %@", "Command line: status, output unknown"),
            *reason);
    }
    const OutputRanking ranking = OutputRanking::of(settings);
    std::optional<RankPlace> currentPlace;
    if (std::holds_alternative<OutputDiscovery>(found)) {
        for (const auto& output : std::get<OutputDiscovery>(found).outputs) {
            if (!output.selected) {
                continue;
            }
            current = output.name;
            currentPlace = ranking.placeOf(output.name);
            currentText = terminalText(output.name) + " (" +
                          placeText(localizer, ranking, currentPlace) + ")";
        }
    }
    // Only an entry of the list has a number in it: the preferred output and an output that is
    // not ranked play from no list.
    const bool fromList = currentPlace && currentPlace->section == RankPlace::Section::below;
    const nlohmann::json playingFromList =
        fromList ? nlohmann::json(currentPlace->number) : nlohmann::json();
    auto ranked = rankedOutputs(ranking, settings.bluetoothOutputs());
    BluezBluetoothDevices bluetooth(nullptr, services.logSink);
    lookUpBluetooth(ranked, bluetooth, kServerAnswerWait);

    const InstanceClient instance(InstanceClient::defaultFolder().value_or(""));
    const auto exchange = instance.request("status", kStatusAnswerWait);
    nlohmann::json running = nullptr;
    std::string runningText =
        text(TONVERA_TRANSLATE("Tonvera", "no", "Command line: status, Tonvera not running"));
    // Why it did not answer: in the user's language, and in English for scripts.
    std::optional<InstanceClient::Exchange> trouble;
    if (exchange.outcome == InstanceClient::Exchange::Outcome::answered) {
        running = nlohmann::json::parse(exchange.answer, nullptr, false);
        if (running.is_object()) {
            runningText = text(TONVERA_TRANSLATE("Tonvera", "yes (process %@)",
                                                 "Command line: status, Tonvera running"),
                               running.value("pid", nlohmann::json()).dump());
        } else {
            trouble = InstanceClient::Exchange{};
        }
    } else if (exchange.outcome == InstanceClient::Exchange::Outcome::failed) {
        trouble = exchange;
    }
    if (trouble) {
        answered = false;
        const CliLocalizer english(CliLocalizer::Language::english);
        running = {{"error", instanceTrouble(english, *trouble, kStatusAnswerWait)}};
        runningText = text(TONVERA_TRANSLATE("Tonvera", "yes, but %@",
                                             "Command line: status, Tonvera not answering"),
                           instanceTrouble(localizer, *trouble, kStatusAnswerWait));
    }
    const int exitStatus = answered ? CommandLine::kExitSuccess : CommandLine::kExitFailure;

    if (json) {
        const nlohmann::ordered_json answer = {
            {"preferredOutput", settings.deviceName()},
            {"fallbackOutputs", ranking.fallbacks()},
            {"ranking", rankingJson(ranked)},
            {"currentOutput", current},
            {"playingFromList", playingFromList},
            {"currentPlace", placeJson(currentPlace)},
            {"connectOnWake", settings.connectOnWake()},
            {"connectAtLogin", settings.connectAtLogin()},
            {"connectWhenSpeakerAppears", settings.connectWhenSpeakerAppears()},
            {"notifyWhenSpeakerStaysAway", settings.notifyWhenSpeakerStaysAway()},
            {"keepSoundFromNewOutputs", settings.keepSoundFromNewOutputs()},
            {"running", !running.is_null()},
            {"instance", running},
        };
        printLine(stdout, answer.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
        return exitStatus;
    }
    const auto onOff = [&text](bool on) {
        return on ? text(TONVERA_TRANSLATE("Tonvera", "on", "Command line: status, switch on"))
                  : text(TONVERA_TRANSLATE("Tonvera", "off", "Command line: status, switch off"));
    };
    std::string table;
    for (const auto& line : rankingTable(localizer, ranking, ranked)) {
        table.append(table.empty() ? "" : "\n").append(line);
    }
    const std::vector<std::pair<std::string, std::string>> rows = {
        {text(TONVERA_TRANSLATE("Tonvera", "Preferred output:", "Command line: status label")),
         terminalText(settings.deviceName())},
        {text(TONVERA_TRANSLATE(
             "Tonvera", "Ranking, best first:", "Command line: status label, the ranked outputs")),
         table.empty()
             ? text(TONVERA_TRANSLATE("Tonvera", "(none)", "Command line: status, nothing ranked"))
             : table},
        {text(TONVERA_TRANSLATE("Tonvera", "Current output:", "Command line: status label")),
         currentText},
        {text(TONVERA_TRANSLATE("Tonvera", "Connect on wake:", "Command line: status label")),
         onOff(settings.connectOnWake())},
        {text(TONVERA_TRANSLATE("Tonvera", "Connect at login:", "Command line: status label")),
         onOff(settings.connectAtLogin())},
        {text(TONVERA_TRANSLATE("Tonvera",
                                "Connect whenever it appears:", "Command line: status label")),
         onOff(settings.connectWhenSpeakerAppears())},
        {text(TONVERA_TRANSLATE("Tonvera",
                                "Notify when it stays away:", "Command line: status label")),
         onOff(settings.notifyWhenSpeakerStaysAway())},
        {text(TONVERA_TRANSLATE(
             "Tonvera", "Keep new outputs from taking the sound:", "Command line: status label")),
         onOff(settings.keepSoundFromNewOutputs())},
        {text(TONVERA_TRANSLATE("Tonvera", "Tonvera running:", "Command line: status label")),
         runningText},
    };
    std::size_t column = 0;
    for (const auto& [label, value] : rows) {
        column = std::max(column, terminalWidth(label) + 1);
    }
    for (const auto& [label, value] : rows) {
        // A value of several lines (the ranking's table) continues in its column.
        std::string line = label;
        line.append(column - terminalWidth(label), ' ');
        for (const char c : value) {
            line += c;
            if (c == '\n') {
                line.append(column, ' ');
            }
        }
        printLine(stdout, line);
    }
    return exitStatus;
}

}  // namespace tonvera::cli
