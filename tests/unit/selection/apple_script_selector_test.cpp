#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/testing/memory_log_sink.h"
#include "platform/testing/scripted_launcher.h"
#include "selection/accessibility_error.h"
#include "selection/apple_script_audio_output_selector.h"
#include "selection/apple_script_texts.h"
#include "selection/cancellation_error.h"

namespace tonvera::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Selector = AppleScriptAudioOutputSelector;

TEST(AppleScriptSelectorTest, TheNameGoesEscapedIntoQuotedTextsBackslashesFirst) {
    // `\"` fails if either step is missing or they run the other way round.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"(Bob's "Big" Room)", R"(Bob's \"Big\" Room)"},
        {R"(\")", R"(\\\")"},
        {"Küche\nRadio\t", "Küche\nRadio\t"},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(Selector::escapeForAppleScript(name), expected) << name;
    }
    // The name goes in between the pieces: each joint must leave it inside a quoted text.
    using namespace apple_script;
    EXPECT_TRUE(
        kSelectionScriptHead.ends_with("\n            set targetIdentifier to \"sound-device-"));
    EXPECT_TRUE(kSelectionScriptMiddle.ends_with("if not found then error \"Device not found: "));
    EXPECT_EQ(kSelectionScriptTail,
              "\"\n        end tell\n    end tell\n    key code 53\nend tell");
    EXPECT_EQ(Selector::selectionScript(R"(a"b\c)"),
              std::string(kSelectionScriptHead) + R"(a\"b\\c)" +
                  std::string(kSelectionScriptMiddle) + R"(a\"b\\c)" +
                  std::string(kSelectionScriptTail));
}

struct AppleScriptSelectorFixture : ::testing::Test {
    std::shared_ptr<ScriptedLauncher> launcher = std::make_shared<ScriptedLauncher>();
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    Selector selector{launcher, log};

    AccessibilityError failureOf(const ProcessResult& result) {
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

TEST_F(AppleScriptSelectorFixture, RunsOsascriptLogsTwiceAndFollowsExitStatusThenMessageMarkers) {
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
    launcher->answer = [] { return exited(1, "", "execution error: Device not found: X"); };
    EXPECT_THROW(selector.selectDevice("X", {}), AccessibilityError);  // the text: below
    EXPECT_THAT(log->lines(), ElementsAre("info: [AirPlay] AppleScript fallback: selecting X"));

    // The outcome follows the exit status, then markers in the message.
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

    EXPECT_EQ(failureOf({.ending = ProcessResult::Ending::timedOut}),
              AccessibilityError::timeout());
    launcher->answer = [] { return ProcessResult{.ending = ProcessResult::Ending::cancelled}; };
    EXPECT_THROW(selector.runAppleScriptWithOutput("x", {}), CancellationError);
    launcher->answer = []() -> ProcessResult {
        throw ProcessLaunchError("Could not start /usr/bin/osascript");
    };
    EXPECT_THROW(selector.selectDevice("x", {}), ProcessLaunchError);
}

TEST_F(AppleScriptSelectorFixture, DiscoveryParsesTheJoinedList) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {" \n\t\r\n", {}},
        {"A,B", {"A,B"}},
        {"A, , B, ", {"A", "B,"}},  // the outer trim takes the last blank first
        {"  A  ,  B ", {"A", "B"}},
        {"Bob, Alice, Bob", {"Bob", "Alice", "Bob"}},
        {"\u00a0Büro\u2003, Flur\n", {"Büro", "Flur"}},
    };
    for (const auto& [output, names] : cases) {
        EXPECT_EQ(Selector::parseDeviceList(output), names) << output;
    }
    launcher->answer = [] { return exited(0, "Arbeitszimmer, Küche Radio\n"); };
    EXPECT_THAT(selector.discoverDevices({}), ElementsAre("Arbeitszimmer", "Küche Radio"));
    EXPECT_EQ(launcher->calls().back().arguments.at(1), apple_script::kDiscoveryScript);
    EXPECT_THAT(log->lines(), IsEmpty());
}

}  // namespace
}  // namespace tonvera::testing
