#pragma once

#include <string>
#include <string_view>

namespace tonvera::unicode_text {

// Text helpers for names that come from other programs and from the user. Bytes that are not
// valid UTF-8 are kept as they are and never match anything but themselves.

// Lower case, code point by code point (Unicode simple case mapping).
std::string lowercased(std::string_view text);

// True when both texts are canonically equivalent ("Küche" composed and decomposed), with no
// case folding and no trimming.
bool canonicallyEqual(std::string_view a, std::string_view b);

// The text in Unicode normalization form C (composed) or D (decomposed); bytes that are not
// UTF-8 come back unchanged.
std::string composed(std::string_view text);
std::string decomposed(std::string_view text);

// True when the text holds nothing but spaces and tabs (the Unicode space separators and
// U+0009); line breaks count as content.
bool isBlank(std::string_view text);

// True when the bytes are well-formed UTF-8.
bool isValidUtf8(std::string_view text);

// The text without white space and line breaks (Unicode separators, tab, line feed, vertical
// tab, form feed, carriage return, next line) at either end.
std::string_view trimmedOfWhitespaceAndNewlines(std::string_view text);

}  // namespace tonvera::unicode_text
