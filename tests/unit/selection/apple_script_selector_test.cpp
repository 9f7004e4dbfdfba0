#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/testing/memory_log_sink.h"
#include "selection/accessibility_error.h"
#include "selection/apple_script_audio_output_selector.h"
#include "selection/apple_script_texts.h"
#include "selection/cancellation_error.h"
#include "selection/unicode_text.h"
#include "platform/testing/scripted_launcher.h"

namespace tonvera::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Selector = AppleScriptAudioOutputSelector;

// Reads the AppleScript string literal that starts right after `opening` in `script`, as
// AppleScript would: backslash escapes for backslash, quote, n, t and r; the literal ends at
// the first unescaped double quote.
std::optional<std::string> readLiteralAfter(const std::string& script, const std::string& opening) {
    const auto start = script.find(opening);
    if (start == std::string::npos) {
        return std::nullopt;
    }
    std::string value;
    for (std::size_t i = start + opening.size(); i < script.size(); ++i) {
        const char c = script[i];
        if (c == '"') {
            return value;
        }
        if (c != '\\') {
            value.push_back(c);
            continue;
        }
        if (++i == script.size()) {
            return std::nullopt;
        }
        switch (script[i]) {
            case '\\':
                value.push_back('\\');
                break;
            case '"':
                value.push_back('"');
                break;
            case 'n':
                value.push_back('\n');
                break;
            case 't':
                value.push_back('\t');
                break;
            case 'r':
                value.push_back('\r');
                break;
            default:
                return std::nullopt;  // not a valid escape: a syntax error
        }
    }
    return std::nullopt;
}

TEST(AppleScriptTextsTest, PiecesAreByteExact) {
    using namespace apple_script;
    EXPECT_EQ(kSelectionScriptHead.size(), 682U);
    EXPECT_EQ(kSelectionScriptMiddle.size(), 874U);
    EXPECT_EQ(kSelectionScriptTail.size(), 56U);
    EXPECT_EQ(kDiscoveryScript.size(), 1105U);
    for (const auto piece :
         {kSelectionScriptHead, kSelectionScriptMiddle, kSelectionScriptTail, kDiscoveryScript}) {
        EXPECT_EQ(piece.find('\r'), std::string_view::npos);
        EXPECT_EQ(piece.find('\t'), std::string_view::npos);
        EXPECT_NE(piece.back(), '\n');
        EXPECT_TRUE(unicode_text::isValidUtf8(piece));
    }
    EXPECT_TRUE(kSelectionScriptHead.starts_with("tell application \"System Events\"\n    try\n"));
    EXPECT_TRUE(
        kSelectionScriptHead.ends_with("\n            set targetIdentifier to \"sound-device-"));
    EXPECT_TRUE(kSelectionScriptMiddle.starts_with("\"\n            set found to false\n"));
    EXPECT_NE(kSelectionScriptMiddle.find("-- bereits ausgewählt prüfen (AXValue = 1)\n"),
              std::string_view::npos);
    EXPECT_TRUE(kSelectionScriptMiddle.ends_with("if not found then error \"Device not found: "));
    EXPECT_EQ(kSelectionScriptTail,
              "\"\n        end tell\n    end tell\n    key code 53\nend tell");
    EXPECT_NE(kDiscoveryScript.find("set end of ids to text 14 thru -1 of cbIdentifier\n"),
              std::string_view::npos);
    EXPECT_TRUE(kDiscoveryScript.ends_with(
        "            return ids\n        end tell\n    end tell\nend tell"));
}

TEST(AppleScriptSelectorTest, EscapingDoublesBackslashesFirstThenEscapesQuotes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Wohnzimmer", "Wohnzimmer"},         {R"(Bob's "Big" Room)", R"(Bob's \"Big\" Room)"},
        {R"(C:\Music)", R"(C:\\Music)"},      {R"(\")", R"(\\\")"},
        {"Küche\nRadio\t", "Küche\nRadio\t"}, {"", ""},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(Selector::escapeForAppleScript(name), expected) << name;
    }
    const std::string name = R"(a"b\c)";
    EXPECT_EQ(Selector::selectionScript(name),
              std::string(apple_script::kSelectionScriptHead) + R"(a\"b\\c)" +
                  std::string(apple_script::kSelectionScriptMiddle) + R"(a\"b\\c)" +
                  std::string(apple_script::kSelectionScriptTail));
}

TEST(AppleScriptSelectorTest, EveryNameSurvivesBothLiteralsUnlessItHoldsALineFeed) {
    std::mt19937 random(4242);
    const std::vector<std::string> alphabet = {"a", "Z", " ",  "\"", "\\", "\\n", "'",
                                               "ü", "€", "\t", "\n", ",",  "🎵"};
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 12);
    for (int round = 0; round < 2000; ++round) {
        std::string name;
        for (int i = length(random); i > 0; --i) {
            name += alphabet[pick(random)];
        }
        const std::string script = Selector::selectionScript(name);
        if (name.find('\n') != std::string::npos) {
            continue;  // a raw line feed breaks the script's syntax; osascript reports it
        }
        EXPECT_EQ(readLiteralAfter(script, "set targetIdentifier to \""), "sound-device-" + name);
        EXPECT_EQ(readLiteralAfter(script, "then error \""), "Device not found: " + name);
    }
}

struct AppleScriptSelectorFixture : ::testing::Test {
    std::shared_ptr<ScriptedLauncher> launcher = std::make_shared<ScriptedLauncher>();
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    Selector selector{launcher, log};

    AccessibilityError failureOf(ProcessResult result) {
        launcher->answer = [result] { return result; };
        try {
            selector.runAppleScriptWithOutput("x", {});
        } catch (const AccessibilityError& error) {
            return error;
        }
        ADD_FAILURE() << "no AccessibilityError";
        return AccessibilityError::unknown("");
    }
};

TEST_F(AppleScriptSelectorFixture, SelectionRunsOsascriptWithTheScriptAndLogsTwice) {
    selector.selectDevice("Küche \"Radio\"", {});
    const auto calls = launcher->calls();
    ASSERT_EQ(calls.size(), 1U);
    EXPECT_EQ(calls[0].executable, "/usr/bin/osascript");
    EXPECT_THAT(calls[0].arguments,
                ElementsAre("-e", Selector::selectionScript("Küche \"Radio\"")));
    EXPECT_EQ(calls[0].timeout, std::chrono::seconds(60));
    EXPECT_THAT(log->lines(),
                ElementsAre("info: [AirPlay] AppleScript fallback: selecting Küche \"Radio\"",
                            "info: [AirPlay] AppleScript fallback succeeded for Küche \"Radio\""));

    log->clear();
    launcher->answer = [] {
        return exited(1, "", "execution error: Device not found: X (-2700)\n");
    };
    try {
        selector.selectDevice("X", {});
        ADD_FAILURE();
    } catch (const AccessibilityError& error) {
        EXPECT_EQ(error,
                  AccessibilityError::unknown("execution error: Device not found: X (-2700)\n"));
    }
    EXPECT_THAT(log->lines(), ElementsAre("info: [AirPlay] AppleScript fallback: selecting X"));
}

TEST_F(AppleScriptSelectorFixture, OutcomeFollowsExitStatusThenMessageMarkers) {
    launcher->answer = [] { return exited(0, " out \n", "NOT ALLOWED assistive access"); };
    EXPECT_EQ(selector.runAppleScriptWithOutput("x", {}), " out \n");  // untouched; stderr ignored

    for (const char* message : {"osascript is NOT ALLOWED assistive access.", "Keine Berechtigung",
                                "Hilfszugriff verweigert", "requires Assistive access"}) {
        EXPECT_EQ(failureOf(exited(1, "", message)), AccessibilityError::permissionMissing())
            << message;
    }
    // The wider word "permission" is the orchestrator's business, not the runner's.
    EXPECT_EQ(failureOf(exited(1, "", "permission")), AccessibilityError::unknown("permission"));
    EXPECT_EQ(failureOf(exited(1, " partial output\n", "")),
              AccessibilityError::unknown(" partial output\n"));
    EXPECT_EQ(failureOf(exited(2, "ignored", "  error text  ")),
              AccessibilityError::unknown("  error text  "));
    // Standard error that is not UTF-8 reads as empty, so standard output speaks.
    EXPECT_EQ(failureOf(exited(1, "out", "\xff\xfe")), AccessibilityError::unknown("out"));
    EXPECT_EQ(failureOf(exited(137, "", "")), AccessibilityError::unknown(""));

    launcher->answer = [] { return exited(0, "A\xff"); };
    EXPECT_EQ(selector.runAppleScriptWithOutput("x", {}), "");

    ProcessResult timedOut;
    timedOut.ending = ProcessResult::Ending::timedOut;
    EXPECT_EQ(failureOf(timedOut), AccessibilityError::timeout());

    launcher->answer = [] {
        ProcessResult cancelled;
        cancelled.ending = ProcessResult::Ending::cancelled;
        return cancelled;
    };
    EXPECT_THROW(selector.runAppleScriptWithOutput("x", {}), CancellationError);
    launcher->answer = []() -> ProcessResult {
        throw ProcessLaunchError("Could not start /usr/bin/osascript");
    };
    EXPECT_THROW(selector.selectDevice("x", {}), ProcessLaunchError);
}

TEST_F(AppleScriptSelectorFixture, DiscoveryParsesTheJoinedList) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"Wohnzimmer, Küche Radio\n", {"Wohnzimmer", "Küche Radio"}},
        {"", {}},
        {" \n\t\r\n", {}},
        {"One", {"One"}},
        {"A,B", {"A,B"}},
        {"A, , B, ", {"A", "B,"}},  // the outer trim takes the last blank first
        {"  A  ,  B ", {"A", "B"}},
        {"Bob, Alice, Bob", {"Bob", "Alice", "Bob"}},
        {"\u00a0Büro\u2003, Flur\n", {"Büro", "Flur"}},
    };
    for (const auto& [output, names] : cases) {
        EXPECT_EQ(Selector::parseDeviceList(output), names) << output;
    }
    launcher->answer = [] { return exited(0, "Arbeitszimmer, Wohnzimmer\n"); };
    EXPECT_THAT(selector.discoverDevices({}), ElementsAre("Arbeitszimmer", "Wohnzimmer"));
    EXPECT_EQ(launcher->calls().back().arguments.at(1), apple_script::kDiscoveryScript);
    EXPECT_THAT(log->lines(), IsEmpty());
}

}  // namespace
}  // namespace tonvera::testing
