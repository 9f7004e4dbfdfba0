#pragma once

#include <stdexcept>
#include <stop_token>
#include <string>

namespace tonvera {

// The request could not be completed: no network, a refused or untrusted connection, a
// time-out, a body over the size bound, or a stop request.
class HttpError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Fetches resources over HTTPS.
class HttpClient {
  public:
    virtual ~HttpClient() = default;

    // One GET of `address`; returns the body bytes whatever the status code. Throws HttpError.
    virtual std::string get(const std::string& address, const std::stop_token& stop) = 0;
};

}  // namespace tonvera
