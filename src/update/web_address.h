#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tonvera {

// An absolute http or https address with a host, as strict RFC 3986 text: no blanks, no
// characters outside the URL set, percent signs only as %XX escapes.
struct WebAddress {
    std::string text;
    std::string scheme;  // lower case
    std::string host;

    friend bool operator==(const WebAddress&, const WebAddress&) = default;
};

// The address when `text` is one; nothing for any other text or scheme. Other schemes are
// refused because addresses from the network end up opened in the user's browser, where
// file: or an application's own scheme could start programs.
std::optional<WebAddress> parseWebAddress(std::string_view text);

}  // namespace tonvera
