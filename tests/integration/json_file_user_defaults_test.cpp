#include "platform/linux/json_file_user_defaults.h"

#include <fstream>
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "platform/testing/memory_log_sink.h"
#include "settings/app_settings.h"
#include "support/child_process.h"
#include "support/temporary_directory.h"

namespace tonvera {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::readFile;

std::vector<std::string> filesIn(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct JsonDefaultsTest : ::testing::Test {
    testing::TemporaryDirectory temporary;
    std::filesystem::path folder = temporary.path() / "config" / "tonvera";
    std::shared_ptr<testing::MemoryLogSink> log = std::make_shared<testing::MemoryLogSink>();

    std::shared_ptr<JsonFileUserDefaults> open() {
        return std::make_shared<JsonFileUserDefaults>(folder, makeAirPlayLogger(log));
    }
};

TEST_F(JsonDefaultsTest, EverySettingRoundTripsThroughTheFileWithItsType) {
    {
        AppSettings settings(open());
        EXPECT_FALSE(std::filesystem::exists(folder / "settings.json"));  // reads write nothing
        settings.setDeviceName(" Küche \"Radio\" ");
        settings.setConnectOnWake(false);
        settings.setConnectAtLogin(false);
        settings.setRetryAttempts(-2);
        settings.setRetryInterval(2.5);
        settings.setHasCompletedOnboarding(true);
        settings.setLaunchAtLogin(false);
        settings.setLaunchAtLoginAsked(true);
        settings.setFallbackOutputs({"Küche Radio", "Wohnzimmer"});
        settings.setKeepSoundFromNewOutputs(true);
    }
    // Each setting under its own key, with its own type.
    const auto json = nlohmann::json::parse(readFile(folder / "settings.json"));
    EXPECT_EQ(json, nlohmann::json::parse(R"({
        "preferredAudioOutput": " Küche \"Radio\" ", "connectAutomaticallyOnWake": false,
        "connectAutomaticallyAtLogin": false, "retryAttempts": -2, "retryInterval": 2.5,
        "hasCompletedOnboarding": true, "launchAtLogin": false, "launchAtLoginAsked": true,
        "fallbackAudioOutputs": ["Küche Radio", "Wohnzimmer"], "keepSoundFromNewOutputs": true})"));

    const AppSettings back(open());
    EXPECT_EQ(std::tuple(back.deviceName(), back.connectAtLogin(), back.retryInterval(),
                         back.launchAtLoginAsked(), back.fallbackOutputs(),
                         back.keepSoundFromNewOutputs()),
              std::tuple(" Küche \"Radio\" ", false, 2.5, true,
                         std::vector<std::string>{"Küche Radio", "Wohnzimmer"}, true));

    using std::filesystem::perms;
    EXPECT_EQ(std::filesystem::status(folder).permissions(), perms::owner_all);
    EXPECT_EQ(std::filesystem::status(folder / "settings.json").permissions(),
              perms::owner_read | perms::owner_write);
    EXPECT_THAT(filesIn(folder), ElementsAre("settings.json"));
    EXPECT_TRUE(log->lines().empty());
}

TEST_F(JsonDefaultsTest, AnUnreadableFileIsKeptAsideAndNeverOverwritten) {
    for (const std::string& broken : {std::string("{\"preferredAudioOutput\": \"Bü"),
                                      std::string("[1, 2]"), std::string("\xff\xfe garbage")}) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "settings.json") << broken;
        log->clear();

        AppSettings settings(open());
        EXPECT_EQ(settings.deviceName(), "Arbeitszimmer");
        settings.setDeviceName("Wohnzimmer");

        const auto names = filesIn(folder);
        ASSERT_THAT(names, ElementsAre("settings.json",
                                       ::testing::StartsWith("settings.json.unreadable-")));
        EXPECT_EQ(readFile(folder / names[1]), broken);
        EXPECT_THAT(log->lines(), ElementsAre(HasSubstr("could not be read")));
        EXPECT_EQ(AppSettings(open()).deviceName(), "Wohnzimmer");
    }
}

TEST_F(JsonDefaultsTest, ForeignMembersSurviveOddValuesFallBackAndLeftoversGo) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / ".settings.json.Ab12Cd") << "{\"half\": ";  // a write cut short
    std::ofstream(folder / "settings.json")
        << R"({"retryInterval": null, "retryAttempts": [3], "windowFrame": {"x": 1},
                  "huge": 18446744073709551615, "keepSoundFromNewOutputs": "yes",
                  "fallbackAudioOutputs": ["Küche", 7, null, {"a": 1}, "Bad"]})";
    auto defaults = open();
    AppSettings settings(defaults);
    EXPECT_THAT(filesIn(folder), ElementsAre("settings.json"));
    EXPECT_EQ(settings.retryInterval(), 1.0);
    EXPECT_EQ(settings.retryAttempts(), 4);
    EXPECT_EQ(defaults->object("huge"), DefaultsValue(18446744073709551615.0));
    EXPECT_THAT(settings.fallbackOutputs(), ElementsAre("Küche", "Bad"));  // names only
    EXPECT_FALSE(settings.keepSoundFromNewOutputs());

    settings.setDeviceName("Büro\xff");  // not UTF-8: stored with a replacement character
    const auto json = nlohmann::json::parse(readFile(folder / "settings.json"));
    EXPECT_EQ(json.at("windowFrame"), nlohmann::json::parse(R"({"x": 1})"));
    // The list is kept as the person wrote it until the list itself is edited.
    EXPECT_EQ(json.at("fallbackAudioOutputs"),
              nlohmann::json::parse(R"(["Küche", 7, null, {"a": 1}, "Bad"])"));
    EXPECT_EQ(json.at("preferredAudioOutput"), "Büro\xef\xbf\xbd");
}

TEST_F(JsonDefaultsTest, ValuesItDoesNotReadAreRewrittenAsWrittenAndAHugeFileIsSetAside) {
    std::filesystem::create_directories(folder);
    const auto file = folder / "settings.json";
    const std::string frame = R"("windowFrame": {"x": 1.50, "note": "K\u00fcche"})";
    for (const std::size_t depth : {0UL, 5000UL, 100000UL}) {  // the deepest overflowed the writer
        const std::string deep = std::string(depth, '[') + "0" + std::string(depth, ']');
        std::ofstream(file) << "{" << frame << R"(, "preferredAudioOutput": "Büro", "deep": )"
                            << deep << "}";
        AppSettings(open()).setConnectOnWake(false);
        EXPECT_EQ(AppSettings(open()).deviceName(), "Büro");
        const std::string written = readFile(file);
        EXPECT_THAT(written, AllOf(HasSubstr(frame), HasSubstr("\"deep\": " + deep)));
        EXPECT_LT(written.size(), deep.size() + 200) << depth;
    }
    {  // far beyond any settings file: not read, as with a file that cannot be read
        std::ofstream huge(file);
        huge << R"({"preferredAudioOutput": "Büro", "x": ")";
        const std::string megabyte(1 << 20, ' ');
        for (int i = 0; i < 200; ++i) {
            huge << megabyte;
        }
        huge << R"("})";
    }
    const auto size = std::filesystem::file_size(file);
    // Neither the command line's look nor the application reads it; the application sets it aside.
    const JsonFileUserDefaults look(folder, makeAirPlayLogger(log),
                                    JsonFileUserDefaults::Access::readOnly);
    EXPECT_EQ(look.object("preferredAudioOutput"), std::nullopt);
    EXPECT_EQ(AppSettings(open()).deviceName(), "Arbeitszimmer");
    const auto names = filesIn(folder);
    ASSERT_THAT(names, ElementsAre(::testing::StartsWith("settings.json.unreadable-")));
    EXPECT_EQ(std::filesystem::file_size(folder / names[0]), size);
    EXPECT_THAT(log->lines(), ElementsAre(HasSubstr("larger than 8 MiB")));
}

TEST_F(JsonDefaultsTest, ALinkedSettingsFileIsWrittenThroughTheLinkWhichStays) {
    // Kept in a dotfiles repository and linked into the configuration folder.
    const auto dotfiles = temporary.path() / "dotfiles";
    std::filesystem::create_directories(dotfiles);
    std::filesystem::create_directories(folder);
    std::ofstream(dotfiles / "tonvera.json") << R"({"preferredAudioOutput": "Büro"})";
    std::filesystem::create_symlink("../../dotfiles/tonvera.json", folder / "settings.json");

    AppSettings settings(open());
    EXPECT_EQ(settings.deviceName(), "Büro");
    settings.setDeviceName("Küche");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "settings.json"));
    EXPECT_THAT(filesIn(folder), ElementsAre("settings.json"));
    EXPECT_THAT(filesIn(dotfiles), ElementsAre("tonvera.json"));
    EXPECT_EQ(AppSettings(open()).deviceName(), "Küche");

    // A link whose target does not exist yet gets it created.
    std::filesystem::remove(dotfiles / "tonvera.json");
    AppSettings(open()).setDeviceName("Flur");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "settings.json"));
    EXPECT_EQ(AppSettings(open()).deviceName(), "Flur");
}

TEST_F(JsonDefaultsTest, AFailedWriteIsLoggedLeavesNoDebrisAndKeepsTheValueInMemory) {
    auto defaults = open();
    AppSettings settings(defaults);
    settings.setDeviceName("Büro");
    // A folder in the file's place makes the final rename fail, for root too.
    std::filesystem::remove(folder / "settings.json");
    std::filesystem::create_directories(folder / "settings.json" / "blocker");

    settings.setDeviceName("Küche");
    EXPECT_EQ(settings.deviceName(), "Küche");
    EXPECT_EQ(defaults->object("preferredAudioOutput"), DefaultsValue(std::string("Küche")));
    EXPECT_THAT(log->lines().back(), HasSubstr("Could not write"));
    EXPECT_THAT(filesIn(folder), ElementsAre("settings.json"));
}

TEST_F(JsonDefaultsTest, AKilledWriterAlwaysLeavesAFileWithAWrittenValue) {
    const auto file = folder / "settings.json";
    std::mt19937 random(20261206);  // fixed seed: the same kill points on every run
    std::uniform_int_distribution<int> reports(1, 12);

    for (int round = 0; round < 25; ++round) {
        const long first = round * 1000000L;
        // It reports each completed pair of assignments on a line of its own.
        testing::ChildProcess writer(
            {TONVERA_SETTINGS_WRITER, folder.string(), std::to_string(first)});
        long lastReported = -1;
        for (int left = reports(random); left > 0; --left) {
            lastReported = std::stol(writer.readLine());
        }
        writer.signal(SIGKILL);
        ASSERT_EQ(writer.wait(std::chrono::seconds(10)), 128 + SIGKILL)
            << "the writer ended on its own in round " << round;
        ASSERT_GE(lastReported, first);

        const std::string contents = readFile(file);
        const auto json = nlohmann::json::parse(contents, nullptr, false);
        ASSERT_TRUE(json.is_object()) << "round " << round << ": " << contents;
        const std::string name = json.at("preferredAudioOutput").get<std::string>();
        ASSERT_TRUE(name.starts_with("name-")) << name;
        const long stored = std::stol(name.substr(5));
        // At least what was reported, and never something from the future.
        EXPECT_GE(stored, lastReported);
        EXPECT_LT(stored, first + 100000);
        const auto attempts = json.at("retryAttempts").get<long>();
        EXPECT_TRUE(attempts == stored || attempts == stored - 1) << attempts << " vs " << stored;
    }
}

}  // namespace
}  // namespace tonvera
