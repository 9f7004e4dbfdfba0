#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/app_session.h"
#include "support/mock_system_bus.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Pair;

// A run's exit status and what it wrote, to be compared as one.
template <typename Ran>
std::pair<int, std::string> told(const Ran& ran) {
    return {ran.status, ran.output};
}

// The commands of the real binary, run without a display. Every run is checked for the
// libraries it mapped, as the dynamic loader lists them: a command line loads no GUI library.
class CliProcessTest : public AppSession {
  protected:
    Ran run(const std::vector<std::string>& arguments, bool withErrors = false,
            std::vector<std::string> first = {}) {
        first.insert(first.end(),
                     {"LD_DEBUG=libs", "LD_DEBUG_OUTPUT=" + (home.path() / "ld").string()});
        Ran ran = AppSession::run(arguments, withErrors, first);
        for (const auto& file : std::filesystem::directory_iterator(home.path())) {
            if (file.path().stem() == "ld") {
                EXPECT_EQ(readFile(file.path()).find("libQt6"), std::string::npos) << arguments[0];
                std::filesystem::remove(file.path());
            }
        }
        return ran;
    }
};

TEST_F(CliProcessTest, ListsTheOutputsByTheirNamesWithTheCurrentOneMarked) {
    ASSERT_TRUE(pulse.loadSink("odd", "Bäd & Böse Box"));
    ASSERT_TRUE(pulse.loadSink("forger", "Box\n* Forged"));
    EXPECT_THAT(
        told(run({"--list-outputs"})),
        Pair(0,
             "  Arbeitszimmer\n* Wohnzimmer\n  Küche Radio\n  Bäd & Böse Box\n  Box\\n* Forged\n"));
    const auto json = nlohmann::json::parse(run({"--list-outputs", "--json"}).output);
    EXPECT_EQ(json["outputs"][3], (nlohmann::json{{"name", "Bäd & Böse Box"}, {"default", false}}));
    EXPECT_EQ(json["outputs"][4]["name"], "Box\n* Forged");
    EXPECT_EQ(json["outputs"][1]["default"], true);
    // Only read: no settings folder appears.
    EXPECT_FALSE(std::filesystem::exists(settingsFile().parent_path()));

    pulse.stop();
    EXPECT_THAT(told(run({"--list-outputs"}, true)), Pair(1, HasSubstr("no sound server answers")));
    EXPECT_EQ(run({"--list-outputs", "--bogus"}).status, 2);
    // The status says what it knows, and that it is not all.
    EXPECT_THAT(told(run({"--status"}, true)),
                Pair(1, HasSubstr("\nConnect on wake:" + std::string(24, ' ') + "on\n")));
    EXPECT_THAT(told(run({"--status"}, true, {"LANG=de_DE.UTF-8"})),
                Pair(1, HasSubstr("unbekannt: kein Sound-Server antwortet")));
}

TEST_F(CliProcessTest, ConnectsByItselfWhenNoTonveraRunsOneConnectAtATimeUntilItsProcessEnds) {
    const std::string settings = R"({"retryAttempts": 2, "retryInterval": 1.0,
        "preferredAudioOutput": "Nowhere", "fallbackAudioOutputs": ["Gone", "Küche Radio"]})";
    writeSettings(settings);
    // Without a name: the preferred output, and the list's first entry there when it is not.
    EXPECT_THAT(told(run({"--connect"})),
                Pair(0, "Nowhere is not there: selected Küche Radio (entry 2 of the list)\n"));
    EXPECT_EQ(pulse.defaultSink(), "kueche");
    EXPECT_EQ(nlohmann::json::parse(run({"--status", "--json"}).output)["playingFromList"], 2);

    // The run's own log, then its failure.
    EXPECT_THAT(
        told(run({"--connect", "Nowhere"}, true)),
        Pair(1, AllOf(HasSubstr("attempt 2"), HasSubstr("tonvera: Could not select Nowhere: "))));
    EXPECT_EQ(readFile(settingsFile()), settings);

    ChildProcess first({TONVERA_BINARY, "--connect", "Nowhere"}, environment(), true);
    while (first.nextLine().value_or("Reconnect requested").find("Reconnect requested") ==
           std::string::npos) {
    }
    EXPECT_THAT(told(run({"--connect", "Küche Radio"}, true)),
                Pair(3, HasSubstr("already under way")));
    first.signal(SIGKILL);
    first.wait(5s);
    EXPECT_EQ(run({"--connect", "Küche Radio"}).status, 0);
}

TEST_F(CliProcessTest, ShowsTheWholeRankingAndWhereThePlayingOutputStandsInIt) {
    ASSERT_TRUE(pulse.loadSink("kopfhoerer", "Kopfhörer"));
    writeSettings(R"({"retryAttempts": 1, "priorityAudioOutputs": ["Kopfhörer", "Gone"],
        "fallbackAudioOutputs": ["Küche Radio"],
        "bluetoothOutputAddresses": {"Kopfhörer": "AA:BB:CC:DD:EE:FF"}})");
    // The headphones are a Bluetooth device, connected, as BlueZ on the system bus says.
    MockSystemBus system;
    system.addAdapter("hci0");
    system.addDevice("hci0", "AA:BB:CC:DD:EE:FF", "Kopfhörer");
    system.setConnected("AA:BB:CC:DD:EE:FF", true);
    systemBusAddress = system.address();
    const auto status = [&] { return nlohmann::json::parse(run({"--status", "--json"}).output); };
    EXPECT_EQ(status()["ranking"], nlohmann::json::parse(R"([
        {"name": "Kopfhörer", "section": "above", "number": 1,
         "bluetoothAddress": "AA:BB:CC:DD:EE:FF", "bluetoothConnected": true},
        {"name": "Gone", "section": "above", "number": 2, "bluetoothAddress": null,
         "bluetoothConnected": null},
        {"name": "Arbeitszimmer", "section": "preferred", "number": null,
         "bluetoothAddress": null, "bluetoothConnected": null},
        {"name": "Küche Radio", "section": "below", "number": 1, "bluetoothAddress": null,
         "bluetoothConnected": null}])"));
    // Neither an output outside the ranking nor the preferred one plays from the list.
    for (const auto* sink : {"wohnzimmer", "arbeitszimmer"}) {
        pulse.pactl({"set-default-sink", sink});
        EXPECT_EQ(status()["playingFromList"], nullptr) << sink;
    }
    EXPECT_EQ(status()["currentPlace"],
              (nlohmann::json{{"section", "preferred"}, {"number", nullptr}}));

    EXPECT_EQ(run({"--connect"}).output, "Selected Kopfhörer, which ranks above Arbeitszimmer\n");
    EXPECT_EQ(run({"--connect"}, false, {"LANG=de_DE.UTF-8"}).output,
              "Kopfhörer ausgewählt (steht in der Rangfolge vor Arbeitszimmer)\n");
    system.setConnected("AA:BB:CC:DD:EE:FF", false);
    EXPECT_THAT(
        run({"--status"}, false, {"LANG=de_DE.UTF-8"}).output,
        HasSubstr("Kopfhörer      Platz 1 vor Arbeitszimmer  Bluetooth AA:BB:CC:DD:EE:FF, "
                  "nicht verbunden\n" +
                  std::string(40, ' ') + "Gone           Platz 2 vor Arbeitszimmer\n" +
                  std::string(40, ' ') + "Arbeitszimmer  bevorzugt\n" + std::string(40, ' ') +
                  "Küche Radio    Eintrag 1 der Liste\nAktuelle Ausgabe:" + std::string(23, ' ') +
                  "Kopfhörer (Platz 1 vor Arbeitszimmer)\n"));
}

TEST_F(CliProcessTest,
       ARunningTonveraDoesTheWorkRefusesARepeatYieldsToConnectNowAndTellsItsStatus) {
    writeSettings(R"({"connectAutomaticallyAtLogin": false, "retryAttempts": 3,
                      "retryInterval": 1.0, "hasCompletedOnboarding": true,
                      "launchAtLoginAsked": true})");
    const auto app = start();
    ASSERT_TRUE(app->waitForLine("Connect at login disabled", 10s));

    const auto status = nlohmann::json::parse(run({"--status", "--json"}).output);
    EXPECT_EQ(status["preferredOutput"], "Arbeitszimmer");
    EXPECT_EQ(status["currentOutput"], "Wohnzimmer");
    EXPECT_EQ(status["connectAtLogin"], false);
    EXPECT_EQ(status["instance"]["pid"], app->pid());

    ChildProcess longRun({TONVERA_BINARY, "--connect", "Nowhere"}, environment(), true);
    ASSERT_TRUE(app->waitForLine("Connect requested from the command line for Nowhere", 10s));
    EXPECT_THAT(told(run({"--connect", "Nowhere"}, true)), Pair(3, HasSubstr("already under way")));

    // Connect now asks for the ranking: the run for the named output ends at its next step,
    // and this one takes over.
    const auto selected = run({"--connect"});
    EXPECT_EQ(longRun.wait(5s), 4);
    EXPECT_THAT(longRun.readLine(), HasSubstr("Stopped before selecting Nowhere"));
    EXPECT_THAT(told(selected), Pair(0, "Selected Arbeitszimmer\n"));
    EXPECT_TRUE(app->waitForLine("Successfully selected Arbeitszimmer on attempt 1", 1s));
    EXPECT_EQ(pulse.defaultSink(), "arbeitszimmer");
}

}  // namespace
}  // namespace tonvera::testing
