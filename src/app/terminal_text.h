#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tonvera {

// A name as one line of terminal output: a line break shows as the two characters "\n", other
// control characters (C0, DEL, and C1 in their UTF-8 form) as "\xNN" for each byte, and a
// backslash is doubled. Nothing else changes, so printf '%b' gives the name back, and a name
// can neither forge a line of its own nor move the cursor or recolour the terminal.
std::string terminalText(std::string_view text);

// The columns `text` takes in a terminal, one per character (not per byte), so that labels
// with umlauts line up.
std::size_t terminalWidth(std::string_view text);

}  // namespace tonvera
