#include <random>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/child_process.h"
#include "support/temporary_directory.h"

namespace tonvera {
namespace {

TEST(SettingsDurabilityTest, KilledWriterAlwaysLeavesAFileWithAWrittenValue) {
    testing::TemporaryDirectory directory;
    const auto file = directory.path() / "settings.json";
    std::mt19937 random(20261206);  // fixed seed: the same kill points on every run
    std::uniform_int_distribution<int> reports(1, 12);

    for (int round = 0; round < 25; ++round) {
        const long first = round * 1000000L;
        // It reports each completed pair of assignments on a line of its own.
        testing::ChildProcess writer(
            {TONVERA_SETTINGS_WRITER, directory.path().string(), std::to_string(first)});
        long lastReported = -1;
        for (int left = reports(random); left > 0; --left) {
            lastReported = std::stol(writer.readLine());
        }
        writer.signal(SIGKILL);
        ASSERT_EQ(writer.wait(std::chrono::seconds(10)), 128 + SIGKILL)
            << "the writer ended on its own in round " << round;
        ASSERT_GE(lastReported, first);

        const std::string contents = testing::readFile(file);
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
