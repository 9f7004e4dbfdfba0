#include "platform/qt/single_instance.h"

#include <QCoreApplication>
#include <fstream>
#include <future>

#include <gtest/gtest.h>

#include "support/temporary_directory.h"

namespace tonvera::testing {
namespace {

using namespace std::chrono_literals;
using Outcome = SingleInstance::Exchange::Outcome;

// Runs the event loop, where the running instance answers, until the client's call is over.
template <typename Result>
Result whileServing(std::future<Result> call) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (call.wait_for(1ms) != std::future_status::ready &&
           std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return call.get();
}

// In a folder too deep for a socket address, as a long home folder may be.
TEST(SingleInstanceTest, OneClaimsTheOthersAreRefusedItsRequestsAreAnsweredAndNoFolderIsNoOne) {
    TemporaryDirectory folder;
    const auto path = QString::fromStdString((folder.path() / std::string(120, 'd')).string());
    SingleInstance running(path);
    std::string reopenedWith = "(never)";
    std::optional<std::string> askedFor = "(never)";
    const auto claim = running.claim({
        .reopen = [&](const std::string& token) { reopenedWith = token; },
        .connect =
            [&](const std::optional<std::string>& name, const SingleInstance::ConnectReply& reply) {
                askedFor = name;
                reply("selected", "Selected " + name.value_or("the preferred one"));
            },
    });
    ASSERT_EQ(std::pair(claim.outcome, claim.error),
              std::pair(SingleInstance::Claim::Outcome::claimed, std::string()));

    SingleInstance second(path);
    EXPECT_EQ(second.claim({}).outcome, SingleInstance::Claim::Outcome::heldByOther);
    // Nothing answers while the event loop does not run: the wait is bounded.
    EXPECT_EQ(second.request("status", 100ms).outcome, Outcome::failed);

    EXPECT_TRUE(whileServing(std::async(
        std::launch::async, [&] { return second.askRunningInstanceToReopen(2s, "token-123"); })));
    QCoreApplication::processEvents();
    EXPECT_EQ(reopenedWith, "token-123");

    const auto ask = [&](const std::string& line) {
        return whileServing(
            std::async(std::launch::async, [&] { return second.request(line, 2s); }));
    };
    const auto connected = ask("connect Küche & Radio");
    EXPECT_EQ(connected.answer, "selected Selected Küche & Radio") << connected.detail;
    EXPECT_EQ(askedFor, "Küche & Radio");
    // Asking without a name and for the status: the command line test, through the binary.
    EXPECT_EQ(ask("frobnicate").answer, "error unknown request");
    EXPECT_EQ(ask(std::string(SingleInstance::kMaxRequest + 10, 'x')).answer,
              "error request too long");

    // An unusable folder is reported as such, not as a running instance.
    std::ofstream(folder.path() / "file") << "not a folder";
    SingleInstance unusable(QString::fromStdString((folder.path() / "file" / "tonvera").string()));
    const auto refused = unusable.claim({});
    EXPECT_EQ(refused.outcome, SingleInstance::Claim::Outcome::unusable);
    EXPECT_NE(refused.error.find("Not a directory"), std::string::npos) << refused.error;
    EXPECT_EQ(unusable.request("status", 100ms).outcome, Outcome::nobodyListens);
    EXPECT_EQ(SingleInstance(QString()).claim({}).outcome,
              SingleInstance::Claim::Outcome::unusable);
}

}  // namespace
}  // namespace tonvera::testing
