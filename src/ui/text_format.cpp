#include "ui/text_format.h"

#include <cctype>
#include <vector>

namespace tonvera {
namespace {

bool isConversion(char c) {
    return c == '@' || c == 'd';
}

}  // namespace

std::string formatText(std::string_view format, std::initializer_list<std::string_view> arguments) {
    const std::vector<std::string_view> values(arguments);
    std::string result;
    result.reserve(format.size());
    std::size_t nextArgument = 0;
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            result += c;
            ++i;
            continue;
        }
        const char next = format[i + 1];
        if (next == '%') {
            result += '%';
            i += 2;
            continue;
        }
        if (isConversion(next)) {
            if (nextArgument < values.size()) {
                result += values[nextArgument++];
            } else {
                result.append(format.substr(i, 2));
            }
            i += 2;
            continue;
        }
        // Positional: %<digits>$@ or %<digits>$d.
        std::size_t j = i + 1;
        std::size_t position = 0;
        while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j])) != 0 &&
               position < 100) {
            position = position * 10 + static_cast<std::size_t>(format[j] - '0');
            ++j;
        }
        if (j > i + 1 && j + 1 < format.size() && format[j] == '$' && isConversion(format[j + 1]) &&
            position >= 1 && position <= values.size()) {
            result += values[position - 1];
            i = j + 2;
            continue;
        }
        result += c;
        ++i;
    }
    return result;
}

}  // namespace tonvera
