#pragma once

#include <stop_token>
#include <string>

#include "platform/http_client.h"

namespace tonvera::testing {

// Answers every request with `body`, or fails with `error` when one is set; remembers the
// address it was last asked for.
class CannedHttpClient final : public HttpClient {
  public:
    std::string get(const std::string& address, const std::stop_token& /*stop*/) override {
        requested = address;
        if (!error.empty()) {
            throw HttpError(error);
        }
        return body;
    }

    std::string body = R"({"version": "0.1.0", "url": "https://example.org/tonvera"})";
    std::string error;
    std::string requested;
};

}  // namespace tonvera::testing
