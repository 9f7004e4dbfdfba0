#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/http_client.h"
#include "platform/process_launcher.h"

namespace tonvera {

// HTTPS through a short-lived helper program (tonvera-fetch) that prints the body: the TLS
// stack and its libraries live only as long as one request, not in the tray application
// that runs all day, and a fault in them cannot take the application down.
class FetcherHttpClient final : public HttpClient {
  public:
    // The helper's own bounds (connect, total time, body size) come first; this one only
    // catches a helper that hangs.
    static constexpr std::chrono::milliseconds kDefaultBound = std::chrono::seconds(75);

    // `fetcher` is the helper's absolute path, empty when it could not be found;
    // `leadingArguments` go before the address (tests pass a certificate file).
    FetcherHttpClient(std::shared_ptr<ProcessLauncher> launcher, std::string fetcher,
                      std::vector<std::string> leadingArguments = {},
                      std::chrono::milliseconds bound = kDefaultBound);

    std::string get(const std::string& address, const std::stop_token& stop) override;

    // Where the helper lies for an application at `executable`: beside it (a build tree), or
    // in ../libexec/tonvera (an installation). Empty when it is in neither place.
    static std::string locateFetcher(const std::string& executable);

  private:
    std::shared_ptr<ProcessLauncher> launcher_;
    std::string fetcher_;
    std::vector<std::string> leadingArguments_;
    std::chrono::milliseconds bound_;
};

}  // namespace tonvera
