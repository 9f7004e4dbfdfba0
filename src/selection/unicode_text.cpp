#include "selection/unicode_text.h"

#include <array>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

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

// Valid UTF-8 in the normalization form that `form` asks for; nothing for invalid input.
std::optional<std::string> normalized(std::string_view text, utf8proc_option_t form) {
    utf8proc_uint8_t* buffer = nullptr;
    const auto length =
        utf8proc_map(bytes(text), static_cast<utf8proc_ssize_t>(text.size()), &buffer,
                     static_cast<utf8proc_option_t>(form | UTF8PROC_STABLE));
    const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owner(buffer, &std::free);
    if (length < 0) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

// The code point starting at `offset`, with its length; a length of 0 for invalid bytes.
std::pair<utf8proc_int32_t, std::size_t> codePointAt(std::string_view text, std::size_t offset) {
    utf8proc_int32_t codePoint = 0;
    const auto length =
        utf8proc_iterate(bytes(text.substr(offset)),
                         static_cast<utf8proc_ssize_t>(text.size() - offset), &codePoint);
    return {codePoint, length > 0 ? static_cast<std::size_t>(length) : 0};
}

bool isWhitespaceOrNewline(utf8proc_int32_t codePoint) {
    if ((codePoint >= 0x09 && codePoint <= 0x0D) || codePoint == 0x85) {
        return true;
    }
    const auto category = utf8proc_category(codePoint);
    return category == UTF8PROC_CATEGORY_ZS || category == UTF8PROC_CATEGORY_ZL ||
           category == UTF8PROC_CATEGORY_ZP;
}

}  // namespace

bool isValidUtf8(std::string_view text) {
    for (std::size_t offset = 0; offset < text.size();) {
        const auto length = codePointAt(text, offset).second;
        if (length == 0) {
            return false;
        }
        offset += length;
    }
    return true;
}

std::string_view trimmedOfWhitespaceAndNewlines(std::string_view text) {
    // Leading: walk forward over white space.
    std::size_t begin = 0;
    while (begin < text.size()) {
        const auto [codePoint, length] = codePointAt(text, begin);
        if (length == 0 || !isWhitespaceOrNewline(codePoint)) {
            break;
        }
        begin += length;
    }
    // Trailing: find the end of the last code point that is not white space.
    std::size_t end = begin;
    for (std::size_t offset = begin; offset < text.size();) {
        const auto [codePoint, length] = codePointAt(text, offset);
        const std::size_t step = length == 0 ? 1 : length;
        if (length == 0 || !isWhitespaceOrNewline(codePoint)) {
            end = offset + step;
        }
        offset += step;
    }
    return text.substr(begin, end - begin);
}

std::string lowercased(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t offset = 0; offset < text.size();) {
        const auto [codePoint, length] = codePointAt(text, offset);
        if (length == 0) {
            result.push_back(text[offset]);
            ++offset;
            continue;
        }
        std::array<utf8proc_uint8_t, 4> encoded{};
        const auto written = utf8proc_encode_char(utf8proc_tolower(codePoint), encoded.data());
        result.append(reinterpret_cast<const char*>(encoded.data()),
                      static_cast<std::size_t>(written));
        offset += length;
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
    const auto left = normalized(a, UTF8PROC_DECOMPOSE);
    const auto right = normalized(b, UTF8PROC_DECOMPOSE);
    return left && right && *left == *right;
}

std::string composed(std::string_view text) {
    return normalized(text, UTF8PROC_COMPOSE).value_or(std::string(text));
}

std::string decomposed(std::string_view text) {
    return normalized(text, UTF8PROC_DECOMPOSE).value_or(std::string(text));
}

bool isBlank(std::string_view text) {
    for (std::size_t offset = 0; offset < text.size();) {
        const auto [codePoint, length] = codePointAt(text, offset);
        if (length == 0 ||
            (codePoint != '\t' && utf8proc_category(codePoint) != UTF8PROC_CATEGORY_ZS)) {
            return false;
        }
        offset += length;
    }
    return true;
}

}  // namespace tonvera::unicode_text
