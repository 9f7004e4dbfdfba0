#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/bluetooth_devices.h"
#include "platform/localizer.h"
#include "reconnect/output_ranking.h"

// The ranking as --status shows it: to people as a table in their language, to scripts as
// JSON.
namespace tonvera::cli {

// One ranked output and what is known of it.
struct RankedOutput {
    std::string name;
    RankPlace place;
    // Remembered once the output was seen as a Bluetooth device; nothing otherwise.
    std::optional<std::string> bluetoothAddress;
    // Whether that device is connected now; nothing when Bluetooth could not be asked.
    std::optional<bool> bluetoothConnected;
};

// Every output of `ranking`, best first. `bluetoothAddresses` maps visible names to addresses
// as the settings keep them; a name stored in another canonically equal form finds its entry.
std::vector<RankedOutput> rankedOutputs(
    const OutputRanking& ranking,
    const std::map<std::string, std::string, std::less<>>& bluetoothAddresses);

// Asks Bluetooth whether each output's device is connected, each look within `bound`; once
// Bluetooth cannot be asked at all, the others are not asked either.
void lookUpBluetooth(std::vector<RankedOutput>& outputs, BluetoothDevices& bluetooth,
                     std::chrono::milliseconds bound);

// "1st above Arbeitszimmer", "preferred", "entry 2 of the list" or "not ranked", in the
// user's language and safe for the terminal.
std::string placeText(const Localizer& localizer, const OutputRanking& ranking,
                      const std::optional<RankPlace>& place);

// {"section": "above", "number": 1}; the preferred output has no number; null when not ranked.
nlohmann::ordered_json placeJson(const std::optional<RankPlace>& place);

// Each output with its name, its place and its Bluetooth address (null when none is known).
nlohmann::ordered_json rankingJson(const std::vector<RankedOutput>& outputs);

// One line per output, its cells in aligned columns: the name, then its place.
std::vector<std::string> rankingTable(const Localizer& localizer, const OutputRanking& ranking,
                                      const std::vector<RankedOutput>& outputs);

}  // namespace tonvera::cli
