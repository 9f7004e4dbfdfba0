#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tonvera {

// Fills a localized format: each "%@" or "%d" takes the next argument in order, "%1$@" (or
// "%1$d") takes the first argument wherever a translation puts it, and "%%" is one percent
// sign. Placeholders without an argument stay as written; extra arguments are ignored.
std::string formatText(std::string_view format, std::initializer_list<std::string_view> arguments);

}  // namespace tonvera
