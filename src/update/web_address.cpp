#include "update/web_address.h"

#include <algorithm>
#include <cctype>

namespace tonvera {
namespace {

bool isUnreservedOrReserved(unsigned char c) {
    if (std::isalnum(c) != 0) {
        return true;
    }
    constexpr std::string_view kAllowed = "-._~:/?#[]@!$&'()*+,;=";
    return kAllowed.find(static_cast<char>(c)) != std::string_view::npos;
}

bool hasOnlyUrlCharacters(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '%') {
            if (i + 2 >= text.size() ||
                std::isxdigit(static_cast<unsigned char>(text[i + 1])) == 0 ||
                std::isxdigit(static_cast<unsigned char>(text[i + 2])) == 0) {
                return false;
            }
            i += 2;
        } else if (!isUnreservedOrReserved(c)) {
            return false;
        }
    }
    return true;
}

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

}  // namespace

std::optional<WebAddress> parseWebAddress(std::string_view text) {
    if (text.empty() || !hasOnlyUrlCharacters(text)) {
        return std::nullopt;
    }
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string scheme = lowered(text.substr(0, colon));
    if (scheme != "https" && scheme != "http") {
        return std::nullopt;
    }
    std::string_view rest = text.substr(colon + 1);
    if (!rest.starts_with("//")) {
        return std::nullopt;
    }
    rest.remove_prefix(2);
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    std::string_view host = authority;
    if (host.starts_with('[')) {
        const auto close = host.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        host = host.substr(0, close + 1);
        authority.remove_prefix(close + 1);
        if (!authority.empty() && !authority.starts_with(':')) {
            return std::nullopt;
        }
    } else {
        host = host.substr(0, host.find(':'));
    }
    if (host.empty() ||
        (!host.starts_with('[') && host.find_first_of("[]") != std::string_view::npos)) {
        return std::nullopt;
    }
    if (const auto port = authority.find(':'); port != std::string_view::npos) {
        const auto digits = authority.substr(port + 1);
        if (!std::all_of(digits.begin(), digits.end(),
                         [](unsigned char c) { return std::isdigit(c) != 0; })) {
            return std::nullopt;
        }
    }
    return WebAddress{std::string(text), scheme, lowered(host)};
}

}  // namespace tonvera
