#include "update/app_update_checker.h"

#include <tuple>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/build_config.h"
#include "platform/linux/fetcher_http_client.h"
#include "platform/testing/canned_http_client.h"
#include "platform/testing/scripted_launcher.h"

namespace tonvera {
namespace {

using ::testing::HasSubstr;

// The fuzzer checks that the answer is a strict order; these rows pin the rules.
TEST(IsNewerTest, ComparesDottedPiecesAsNumbers) {
    const std::vector<std::tuple<const char*, const char*, bool>> rows = {
        {"1.10", "1.9", true},
        {"1.0", "1", false},
        {"1.0.1", "1.0", true},
        {"2.0-beta", "1.9", true},   // pieces 2 and 0-beta; 2 decides
        {"1.2-beta", "1.1", false},  // 2-beta counts as 0, not as 2
        {"1..2", "1.1", true},       // empty pieces are dropped
        {"+2", "1", true},
        {"-1", "0", false},
        {"99999999999999999999", "1", false},  // beyond 64 bits: 0
        {"9223372036854775807", "9223372036854775806", true},
        {"-9223372036854775807", "-9223372036854775808", true},
    };
    for (const auto& [offered, installed, newer] : rows) {
        EXPECT_EQ(AppUpdateChecker::isNewer(offered, installed), newer)
            << offered << " vs " << installed;
    }
}

struct CheckerTest : ::testing::Test {
    std::shared_ptr<testing::CannedHttpClient> http = std::make_shared<testing::CannedHttpClient>();

    UpdateCheckResult check(const std::string& body,
                            std::optional<std::string> installed = "1.2.0") {
        http->body = body;
        return AppUpdateChecker(http, std::move(installed), "https://updates.example.com").check();
    }

    static std::string failure(const UpdateCheckResult& result) {
        const auto* failed = std::get_if<UpdateCheckFailed>(&result);
        return failed != nullptr ? failed->error : "(did not fail)";
    }
};

TEST_F(CheckerTest, AsksTheManifestAddressAnyVersionIsNewerThanNoneAndProblemsFailWithAReason) {
    // Newer and equal manifests over real HTTPS: see the integration test.
    EXPECT_EQ(check(R"({"version": "1.2", "url": "https://e.com"})", std::nullopt),
              UpdateCheckResult(UpdateAvailable{"1.2", *parseWebAddress("https://e.com")}));
    EXPECT_EQ(http->requested, "https://updates.example.com/dist/update.json");

    // The server this build is configured with makes a valid address.
    const AppUpdateChecker configured(
        http,
        build_config::kVersion ? std::optional<std::string>(*build_config::kVersion) : std::nullopt,
        build_config::kUpdateServer);
    ASSERT_TRUE(configured.manifestURL());
    EXPECT_EQ(configured.manifestURL()->scheme, "https");

    // Every problem is a failure with its reason.
    EXPECT_THAT(failure(check("<html>404</html>")), HasSubstr("not valid JSON"));
    EXPECT_THAT(failure(check("[1]")), HasSubstr("not a JSON object"));
    EXPECT_THAT(failure(check(R"({"version": "9"})")), HasSubstr("no \"url\" member"));
    EXPECT_THAT(failure(check(R"({"version": 9, "url": "https://e.com"})")),
                HasSubstr("\"version\" member is not a text"));
    // The address is checked before the versions: a bad one fails even when nothing is newer.
    EXPECT_THAT(failure(check(R"({"version": "0.1", "url": "https://exa mple.com"})")),
                HasSubstr("https://exa mple.com"));
    for (const char* unsafe : {"file:///etc/passwd", "javascript:alert(1)", "https:///nohost",
                               "https://e.com/%zz", "http://e.com/Tonvera.zip"}) {
        const std::string body = std::string(R"({"version": "9", "url": ")") + unsafe + "\"}";
        EXPECT_THAT(failure(check(body)), HasSubstr("not a valid https address")) << unsafe;
    }
    http->error = "The request to x failed: Connection refused";
    EXPECT_EQ(failure(AppUpdateChecker(http, "1.0", "https://e.com").check()),
              "The request to x failed: Connection refused");
    EXPECT_THAT(failure(AppUpdateChecker(http, "1.0", "not an address").check()),
                HasSubstr("not a valid web address"));

    // A plain-text server is a configuration error: nothing is even asked.
    http->requested.clear();
    const AppUpdateChecker plain(http, "1.0", "http://updates.example.com");
    EXPECT_FALSE(plain.manifestURL());
    EXPECT_EQ(failure(plain.check()),
              "The update server's address must be an https address: http://updates.example.com");
    EXPECT_TRUE(http->requested.empty());
}

TEST(WebAddressTest, AcceptsOnlyWellFormedHttpAndHttpsAddresses) {
    EXPECT_EQ(parseWebAddress("HTTPS://Example.COM:8443/a?b=c#d")->host, "example.com");
    EXPECT_EQ(parseWebAddress("http://[::1]:80/x")->host, "[::1]");
    EXPECT_EQ(parseWebAddress("https://user@host/x")->host, "host");
    EXPECT_EQ(parseWebAddress("https://e.com/caf%C3%A9")->scheme, "https");
    for (const char* bad :
         {"", "example.com", "https:", "https://", "https://:80", "https://e.com:8a",
          "https://e .com", "https://e.com/\"x\"", "https://e.com/ü", "https://[::1",
          "https://e.com/\n", "mailto:a@b.c", "https://[::1]x/", "https://[::1]:8x/"}) {
        EXPECT_FALSE(parseWebAddress(bad)) << bad;
    }
}

// A helper ended by a signal (128 + its number) or reaped by someone else (-1) may have
// printed part of the body: that is a failed request, never a body.
TEST(FetcherHttpClientTest, AHelperEndedByASignalIsAFailedRequest) {
    auto launcher = std::make_shared<testing::ScriptedLauncher>();
    FetcherHttpClient client(launcher, "/usr/libexec/tonvera/tonvera-fetch");
    for (const int status : {143, -1}) {
        launcher->answer = [status] { return testing::exited(status, R"({"version": "1.)"); };
        EXPECT_THAT([&] { client.get("https://example.org/latest.json", {}); },
                    ::testing::ThrowsMessage<HttpError>(
                        HasSubstr("(status " + std::to_string(status) + ")")));
    }
    launcher->answer = [] { return testing::exited(0, "{}"); };
    EXPECT_EQ(client.get("https://example.org/latest.json", {}), "{}");
}

}  // namespace
}  // namespace tonvera
