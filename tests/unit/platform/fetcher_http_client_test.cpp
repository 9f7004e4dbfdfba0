#include "platform/linux/fetcher_http_client.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/testing/scripted_launcher.h"

namespace tonvera::testing {
namespace {

// A helper ended by a signal (128 + its number) or reaped by someone else (-1) may have
// printed part of the body: that is a failed request, never a body.
TEST(FetcherHttpClientTest, AHelperEndedByASignalIsAFailedRequest) {
    auto launcher = std::make_shared<ScriptedLauncher>();
    FetcherHttpClient client(launcher, "/usr/libexec/tonvera/tonvera-fetch");
    for (const int status : {143, -1}) {
        launcher->answer = [status] { return exited(status, R"({"version": "1.)"); };
        EXPECT_THAT([&] { client.get("https://example.org/latest.json", {}); },
                    ::testing::ThrowsMessage<HttpError>(
                        ::testing::HasSubstr("(status " + std::to_string(status) + ")")));
    }
    launcher->answer = [] { return exited(0, "{}"); };
    EXPECT_EQ(client.get("https://example.org/latest.json", {}), "{}");
}

}  // namespace
}  // namespace tonvera::testing
