#include "settings/defaults_reading.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace tonvera::defaults_reading {
namespace {

template <typename... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <typename... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

std::int64_t clampToInteger(double number) {
    if (std::isnan(number)) {
        return 0;
    }
    // 2^63 is exactly representable; anything at or beyond it saturates.
    constexpr double kLimit = 9223372036854775808.0;
    if (number >= kLimit) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (number < -kLimit) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(number);
}

std::int64_t leadingInteger(std::string_view text) {
    const auto start = std::find_if_not(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isspace(c) != 0; });
    text.remove_prefix(static_cast<std::size_t>(start - text.begin()));
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::int64_t result = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (error == std::errc::result_out_of_range) {
        return text.starts_with('-') ? std::numeric_limits<std::int64_t>::min()
                                     : std::numeric_limits<std::int64_t>::max();
    }
    return error == std::errc() ? result : 0;
}

bool equalsIgnoringCase(std::string_view text, std::string_view lowerWord) {
    return text.size() == lowerWord.size() &&
           std::equal(text.begin(), text.end(), lowerWord.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

}  // namespace

std::optional<std::string> stringValue(const std::optional<DefaultsValue>& value) {
    if (value) {
        if (const auto* text = std::get_if<std::string>(&*value)) {
            return *text;
        }
    }
    return std::nullopt;
}

DefaultsStringList stringList(const std::optional<DefaultsValue>& value) {
    if (value) {
        if (const auto* names = std::get_if<DefaultsStringList>(&*value)) {
            return *names;
        }
    }
    return {};
}

DefaultsStringMap stringMap(const std::optional<DefaultsValue>& value) {
    if (value) {
        if (const auto* members = std::get_if<DefaultsStringMap>(&*value)) {
            return *members;
        }
    }
    return {};
}

std::optional<bool> booleanObject(const std::optional<DefaultsValue>& value) {
    if (value) {
        if (const auto* flag = std::get_if<bool>(&*value)) {
            return *flag;
        }
    }
    return std::nullopt;
}

std::optional<double> numberObject(const std::optional<DefaultsValue>& value) {
    if (!value) {
        return std::nullopt;
    }
    return std::visit(Overloaded{
                          [](std::int64_t number) -> std::optional<double> {
                              return static_cast<double>(number);
                          },
                          [](double number) -> std::optional<double> { return number; },
                          [](const auto&) -> std::optional<double> { return std::nullopt; },
                      },
                      *value);
}

std::int64_t integerValue(const std::optional<DefaultsValue>& value) {
    if (!value) {
        return 0;
    }
    return std::visit(Overloaded{
                          [](const std::string& text) { return leadingInteger(text); },
                          [](bool flag) -> std::int64_t { return flag ? 1 : 0; },
                          [](std::int64_t number) { return number; },
                          [](double number) { return clampToInteger(number); },
                          [](const DefaultsStringList&) -> std::int64_t { return 0; },
                          [](const DefaultsStringMap&) -> std::int64_t { return 0; },
                      },
                      *value);
}

bool boolValue(const std::optional<DefaultsValue>& value) {
    if (!value) {
        return false;
    }
    return std::visit(Overloaded{
                          [](const std::string& text) {
                              return equalsIgnoringCase(text, "yes") ||
                                     equalsIgnoringCase(text, "true") || leadingInteger(text) != 0;
                          },
                          [](bool flag) { return flag; },
                          [](std::int64_t number) { return number != 0; },
                          [](double number) { return number != 0.0; },
                          [](const DefaultsStringList&) { return false; },
                          [](const DefaultsStringMap&) { return false; },
                      },
                      *value);
}

}  // namespace tonvera::defaults_reading
