#include "selection/unicode_text.h"

#include <array>
#include <cstdlib>
#include <memory>
#include <optional>

#include <utf8proc.h>

namespace tonvera::unicode_text {
namespace {

const auto* bytes(std::string_view text) {
    return reinterpret_cast<const utf8proc_uint8_t*>(text.data());
}

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// The canonical decomposition of valid UTF-8; nothing for invalid input.
std::optional<std::string> decomposed(std::string_view text) {
    utf8proc_uint8_t* buffer = nullptr;
    const auto length =
        utf8proc_map(bytes(text), static_cast<utf8proc_ssize_t>(text.size()), &buffer,
                     static_cast<utf8proc_option_t>(UTF8PROC_DECOMPOSE | UTF8PROC_STABLE));
    const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owner(buffer, &std::free);
    if (length < 0) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

}  // namespace

std::string lowercased(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t offset = 0;
    while (offset < text.size()) {
        utf8proc_int32_t codePoint = 0;
        const auto length =
            utf8proc_iterate(bytes(text.substr(offset)),
                             static_cast<utf8proc_ssize_t>(text.size() - offset), &codePoint);
        if (length <= 0) {
            result.push_back(text[offset]);
            ++offset;
            continue;
        }
        std::array<utf8proc_uint8_t, 4> encoded{};
        const auto written = utf8proc_encode_char(utf8proc_tolower(codePoint), encoded.data());
        result.append(reinterpret_cast<const char*>(encoded.data()),
                      static_cast<std::size_t>(written));
        offset += static_cast<std::size_t>(length);
    }
    return result;
}

bool canonicallyEqual(std::string_view a, std::string_view b) {
    if (a == b) {
        return true;
    }
    if (isAscii(a) && isAscii(b)) {
        return false;
    }
    const auto left = decomposed(a);
    const auto right = decomposed(b);
    return left && right && *left == *right;
}

bool isBlank(std::string_view text) {
    std::size_t offset = 0;
    while (offset < text.size()) {
        utf8proc_int32_t codePoint = 0;
        const auto length =
            utf8proc_iterate(bytes(text.substr(offset)),
                             static_cast<utf8proc_ssize_t>(text.size() - offset), &codePoint);
        if (length <= 0) {
            return false;
        }
        if (codePoint != '\t' && utf8proc_category(codePoint) != UTF8PROC_CATEGORY_ZS) {
            return false;
        }
        offset += static_cast<std::size_t>(length);
    }
    return true;
}

}  // namespace tonvera::unicode_text
