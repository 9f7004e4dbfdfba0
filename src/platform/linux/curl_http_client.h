#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/http_client.h"

namespace tonvera {

// GET over libcurl, https only: certificates verified against the system's trust store (or
// `caFile`), a few redirects to https only, bounded connect and total time, and a bounded
// body. Any other address fails at once.
class CurlHttpClient final : public HttpClient {
  public:
    struct Options {
        std::chrono::milliseconds connectTimeout = std::chrono::seconds(15);
        std::chrono::milliseconds totalTimeout = std::chrono::seconds(60);
        std::size_t maxBodyBytes = 1024UL * 1024UL;
        long maxRedirects = 5;
        // Trust these certificates instead of the system's (tests, private servers).
        std::optional<std::string> caFile;
    };

    CurlHttpClient();
    explicit CurlHttpClient(Options options);

    std::string get(const std::string& address, const std::stop_token& stop) override;

  private:
    Options options_;
};

}  // namespace tonvera
