// The script selector over real child processes: a fake of osascript stands at another path
// and is told by extra arguments what to do.
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/linux/posix_process_launcher.h"
#include "platform/testing/memory_log_sink.h"
#include "selection/apple_script_audio_output_selector.h"
#include "support/temporary_directory.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;

// Runs the fake in place of the real script runner, with the test's options in front.
class FakeOsascriptLauncher final : public ProcessLauncher {
  public:
    std::vector<std::string> options;
    std::string executable;

    ProcessResult run(const std::string& requested, const std::vector<std::string>& arguments,
                      std::chrono::milliseconds timeout, const std::stop_token& stop) override {
        executable = requested;
        std::vector<std::string> all = options;
        all.insert(all.end(), arguments.begin(), arguments.end());
        return real_.run(TONVERA_FAKE_OSASCRIPT, all, timeout, stop);
    }

  private:
    PosixProcessLauncher real_{100ms};
};

struct ScriptSelectorIntegrationTest : ::testing::Test {
    std::shared_ptr<FakeOsascriptLauncher> launcher = std::make_shared<FakeOsascriptLauncher>();
    std::shared_ptr<testing::MemoryLogSink> log = std::make_shared<testing::MemoryLogSink>();
    AppleScriptAudioOutputSelector selector{launcher, log, 500ms};
};

TEST_F(ScriptSelectorIntegrationTest, TheScriptReachesTheRunnerIntact) {
    testing::TemporaryDirectory directory;
    const auto recorded = directory.path() / "script";
    launcher->options = {"--record", recorded.string()};
    const std::string name = "Bob's \"Big\" \\ Küche\nRadio 🎵";

    selector.selectDevice(name, {});

    std::ifstream in(recorded, std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    EXPECT_EQ(contents.str(), AppleScriptAudioOutputSelector::selectionScript(name));
    EXPECT_EQ(launcher->executable, "/usr/bin/osascript");
}

TEST(ScriptSelectorWithoutRunnerTest, AMissingRunnerIsALaunchErrorNotASelectionError) {
    // The production path: on Linux there is no osascript, so this is the real outcome.
    if (std::ifstream(AppleScriptAudioOutputSelector::kScriptRunner).good()) {
        GTEST_SKIP() << "this machine has an osascript";
    }
    AppleScriptAudioOutputSelector selector(std::make_shared<PosixProcessLauncher>(),
                                            std::make_shared<testing::MemoryLogSink>());
    EXPECT_THROW(selector.selectDevice("A", {}), ProcessLaunchError);
}

}  // namespace
}  // namespace tonvera
