#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/linux/curl_http_client.h"
#include "platform/linux/fetcher_http_client.h"
#include "platform/linux/posix_process_launcher.h"
#include "support/child_process.h"
#include "support/temporary_directory.h"
#include "update/app_update_checker.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

// A fresh self-signed certificate for 127.0.0.1 and the manifest server from the source tree,
// asked through libcurl in process and through the application's own fetch helper.
TEST(UpdateHttpsTest, ManifestsAreReadThroughCurlAndTheFetchHelperAndFailuresSayWhy) {
    const testing::TemporaryDirectory directory;
    const std::string certificate = (directory.path() / "cert.pem").string();
    const std::string key = (directory.path() / "key.pem").string();
    const auto launcher = std::make_shared<PosixProcessLauncher>();
    const auto made =
        launcher->run("/usr/bin/openssl",
                      {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                       "-nodes", "-keyout", key, "-out", certificate, "-days", "1", "-subj",
                       "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"},
                      30s, {});
    ASSERT_EQ(made.exitStatus, 0) << made.standardError;
    testing::ChildProcess server({"/usr/bin/python3", TONVERA_MANIFEST_SERVER, certificate, key});
    const std::string port = server.readLine();
    ASSERT_FALSE(port.empty()) << "the manifest server did not start";
    const auto checkWith = [&](std::shared_ptr<HttpClient> client, const std::string& route) {
        return AppUpdateChecker(std::move(client), "1.2.0",
                                "https://127.0.0.1:" + port + "/" + route)
            .check();
    };
    const auto check = [&](const std::string& route, std::chrono::seconds timeout = 5s) {
        CurlHttpClient::Options options;
        options.caFile = certificate;
        options.totalTimeout = timeout;
        return checkWith(std::make_shared<CurlHttpClient>(options), route);
    };
    const auto failure = [](const UpdateCheckResult& result) {
        const auto* failed = std::get_if<UpdateCheckFailed>(&result);
        return failed != nullptr ? failed->error : "(did not fail)";
    };

    EXPECT_EQ(check("equal"), UpdateCheckResult(UpToDate{"1.2.0"}));
    EXPECT_TRUE(std::holds_alternative<UpdateAvailable>(check("redirect")));
    // The decoding rules are unit-tested; here an error page and an oversized answer.
    EXPECT_THAT(failure(check("missing")), HasSubstr("not valid JSON"));
    EXPECT_THAT(failure(check("huge")), HasSubstr("larger than 1048576 bytes"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THAT(failure(check("hang", 1s)), HasSubstr("failed"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);

    const auto through = [&](std::vector<std::string> leading, const std::string& fetcher) {
        return checkWith(std::make_shared<FetcherHttpClient>(launcher, fetcher, std::move(leading)),
                         "newer");
    };
    const auto newer = through({"--ca-file", certificate}, TONVERA_FETCH);
    ASSERT_TRUE(std::holds_alternative<UpdateAvailable>(newer)) << failure(newer);
    EXPECT_EQ(std::get<UpdateAvailable>(newer).version, "9.1.0");
    EXPECT_EQ(std::get<UpdateAvailable>(newer).url.text, "https://example.com/tonvera.dmg");
    // The system's trust store does not know the test certificate.
    EXPECT_THAT(failure(through({}, TONVERA_FETCH)), HasSubstr("certificate"));
    EXPECT_THAT(failure(through({}, FetcherHttpClient::locateFetcher("/nowhere/tonvera"))),
                HasSubstr("tonvera-fetch is missing"));
}

TEST(CurlHttpClientTest, APlainTextAddressIsRefusedBeforeAnyConnection) {
    // A listener on a free port: a connection attempt would show in its backlog.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/x";

    CurlHttpClient::Options options;
    options.totalTimeout = 1s;
    EXPECT_THAT([&] { CurlHttpClient(options).get(url, {}); },
                ::testing::ThrowsMessage<HttpError>(HasSubstr("Only https addresses")));
    EXPECT_LT(::accept(listener, nullptr, nullptr), 0);  // nobody knocked
    ::close(listener);
}

}  // namespace
}  // namespace tonvera
