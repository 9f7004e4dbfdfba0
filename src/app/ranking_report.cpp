#include "app/ranking_report.h"

#include <algorithm>

#include "app/terminal_text.h"
#include "selection/unicode_text.h"
#include "ui/text_format.h"

namespace tonvera::cli {
namespace {

std::string_view sectionWord(RankPlace::Section section) {
    switch (section) {
        case RankPlace::Section::above:
            return "above";
        case RankPlace::Section::preferred:
            return "preferred";
        case RankPlace::Section::below:
            return "below";
    }
    return "below";
}

// The preferred output as the places above it name it, also when no name is chosen yet.
std::string preferredName(const Localizer& localizer, const OutputRanking& ranking) {
    if (unicode_text::isBlank(ranking.preferred())) {
        return localizer.localized(
            TONVERA_TRANSLATE("Tonvera", "the preferred output",
                              "Command line: status, 1st above … when no name is chosen"));
    }
    return terminalText(ranking.preferred());
}

}  // namespace

std::vector<RankedOutput> rankedOutputs(
    const OutputRanking& ranking,
    const std::map<std::string, std::string, std::less<>>& bluetoothAddresses) {
    std::vector<RankedOutput> ranked;
    const auto add = [&ranking, &ranked](const std::string& name) {
        // A blank preferred name has no place and is left out.
        if (const auto place = ranking.placeOf(name)) {
            ranked.push_back({name, *place, std::nullopt});
        }
    };
    std::ranges::for_each(ranking.above(), add);
    add(ranking.preferred());
    std::ranges::for_each(ranking.fallbacks(), add);
    for (const auto& [name, address] : bluetoothAddresses) {
        const auto rank = ranking.rankOf(name);
        for (auto& output : ranked) {
            if (rank && ranking.rankOf(output.name) == rank) {
                output.bluetoothAddress = address;
            }
        }
    }
    return ranked;
}

void lookUpBluetooth(std::vector<RankedOutput>& outputs, BluetoothDevices& bluetooth,
                     std::chrono::milliseconds bound) {
    for (auto& output : outputs) {
        if (!output.bluetoothAddress) {
            continue;
        }
        const BluetoothLookup lookup = bluetooth.lookUp(*output.bluetoothAddress, bound);
        switch (lookup.status) {
            case BluetoothLookup::Status::found:
                output.bluetoothConnected = lookup.device.connected;
                break;
            case BluetoothLookup::Status::unknownDevice:
                output.bluetoothConnected = false;
                break;
            default:
                return;  // no bus, no service or no adapter: nothing more to learn
        }
    }
}

std::string placeText(const Localizer& localizer, const OutputRanking& ranking,
                      const std::optional<RankPlace>& place) {
    if (!place) {
        return localizer.localized(TONVERA_TRANSLATE(
            "Tonvera", "not ranked", "Command line: status, an output outside the ranking"));
    }
    const std::string number = std::to_string(place->number);
    switch (place->section) {
        case RankPlace::Section::above:
            return formatText(
                localizer.localized(TONVERA_TRANSLATE(
                    "Tonvera", "%1$@ above %2$@",
                    "Command line: status, ranked above %2$@; %1$@ English ordinal, %3$@ number")),
                {ordinal(place->number), preferredName(localizer, ranking), number});
        case RankPlace::Section::preferred:
            return localizer.localized(TONVERA_TRANSLATE(
                "Tonvera", "preferred", "Command line: status, the preferred output's place"));
        case RankPlace::Section::below:
            break;
    }
    return formatText(localizer.localized(TONVERA_TRANSLATE(
                          "Tonvera", "entry %@ of the list",
                          "Command line: status, an output of the list for while it is away")),
                      {number});
}

nlohmann::ordered_json placeJson(const std::optional<RankPlace>& place) {
    if (!place) {
        return nullptr;
    }
    return {{"section", sectionWord(place->section)},
            {"number", place->section == RankPlace::Section::preferred
                           ? nlohmann::ordered_json()
                           : nlohmann::ordered_json(place->number)}};
}

nlohmann::ordered_json rankingJson(const std::vector<RankedOutput>& outputs) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& output : outputs) {
        nlohmann::ordered_json entry = {{"name", output.name}};
        entry.update(placeJson(output.place));
        entry["bluetoothAddress"] = output.bluetoothAddress
                                        ? nlohmann::ordered_json(*output.bluetoothAddress)
                                        : nlohmann::ordered_json();
        entry["bluetoothConnected"] = output.bluetoothConnected
                                          ? nlohmann::ordered_json(*output.bluetoothConnected)
                                          : nlohmann::ordered_json();
        list.push_back(std::move(entry));
    }
    return list;
}

std::vector<std::string> rankingTable(const Localizer& localizer, const OutputRanking& ranking,
                                      const std::vector<RankedOutput>& outputs) {
    // The cells of each line: the name, the place, and for a Bluetooth device its address and
    // whether it is connected.
    std::vector<std::vector<std::string>> rows;
    rows.reserve(outputs.size());
    for (const auto& output : outputs) {
        rows.push_back({terminalText(output.name), placeText(localizer, ranking, output.place)});
        if (!output.bluetoothAddress) {
            continue;
        }
        const std::string address = terminalText(*output.bluetoothAddress);
        rows.back().push_back(
            !output.bluetoothConnected
                ? formatText(localizer.localized(TONVERA_TRANSLATE(
                                 "Tonvera", "Bluetooth %@",
                                 "Command line: status, a Bluetooth output's address")),
                             {address})
            : *output.bluetoothConnected
                ? formatText(localizer.localized(TONVERA_TRANSLATE(
                                 "Tonvera", "Bluetooth %@, connected",
                                 "Command line: status, a connected Bluetooth output")),
                             {address})
                : formatText(localizer.localized(TONVERA_TRANSLATE(
                                 "Tonvera", "Bluetooth %@, not connected",
                                 "Command line: status, a Bluetooth output not connected")),
                             {address}));
    }
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t column = 0; column < row.size(); ++column) {
            widths[column] = std::max(widths[column], terminalWidth(row[column]));
        }
    }
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t column = 0; column < row.size(); ++column) {
            // No padding after the last cell: a line never ends in spaces.
            if (column > 0) {
                line.append(widths[column - 1] - terminalWidth(row[column - 1]) + 2, ' ');
            }
            line += row[column];
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace tonvera::cli
