#include "app/terminal_text.h"

#include <algorithm>

#include <fmt/format.h>

namespace tonvera {

std::string terminalText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool c1 = byte == 0xc2 && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9f;
        if (byte == '\n') {
            shown += "\\n";
        } else if (byte == '\\') {
            shown += "\\\\";
        } else if (byte < 0x20 || byte == 0x7f) {
            shown += fmt::format("\\x{:02x}", byte);
        } else if (c1) {
            shown += fmt::format("\\x{:02x}\\x{:02x}", byte, static_cast<unsigned char>(text[++i]));
        } else {
            shown += text[i];
        }
    }
    return shown;
}

std::size_t terminalWidth(std::string_view text) {
    return static_cast<std::size_t>(std::ranges::count_if(
        text, [](char c) { return (static_cast<unsigned char>(c) & 0xc0) != 0x80; }));
}

}  // namespace tonvera
