#include "platform/linux/json_object_members.h"

#include <algorithm>

#include <nlohmann/json.hpp>

namespace tonvera {
namespace {

// The text is valid JSON when these run, so every string and every value ends before it does.

std::size_t skipSpace(std::string_view text, std::size_t at) {
    while (at < text.size() &&
           (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r')) {
        ++at;
    }
    return at;
}

// From the opening quote to just past the closing one.
std::size_t stringEnd(std::string_view text, std::size_t at) {
    for (++at; text[at] != '"'; ++at) {
        if (text[at] == '\\') {
            ++at;
        }
    }
    return at + 1;
}

// Counts brackets instead of descending into them.
std::size_t valueEnd(std::string_view text, std::size_t at) {
    std::size_t depth = 0;
    do {
        if (text[at] == '"') {
            at = stringEnd(text, at);
        } else if (text[at] == '[' || text[at] == '{') {
            ++depth;
            ++at;
        } else if (text[at] == ']' || text[at] == '}') {
            --depth;
            ++at;
        } else if (depth > 0) {
            ++at;
        } else {  // a number, true, false or null
            at = std::min(text.find_first_of(" \t\n\r,}", at), text.size());
        }
    } while (depth > 0);
    return at;
}

}  // namespace

JsonObjectMembers splitJsonObject(std::string_view text) {
    // nlohmann's check walks the text with a stack of its own, not the call stack.
    if (!nlohmann::json::accept(text)) {
        return {{}, "not valid JSON"};
    }
    std::size_t at = skipSpace(text, text.starts_with("\xEF\xBB\xBF") ? 3 : 0);
    if (text[at] != '{') {
        return {{}, "not a JSON object"};
    }
    JsonMemberTexts members;
    for (at = skipSpace(text, at + 1); text[at] == '"';) {
        const std::size_t keyEnd = stringEnd(text, at);
        auto key = nlohmann::json::parse(text.substr(at, keyEnd - at)).get<std::string>();
        const std::size_t valueStart = skipSpace(text, skipSpace(text, keyEnd) + 1);  // past ':'
        at = valueEnd(text, valueStart);
        members.insert_or_assign(std::move(key),
                                 std::string(text.substr(valueStart, at - valueStart)));
        at = skipSpace(text, at);
        at = skipSpace(text, text[at] == ',' ? at + 1 : at);
    }
    return {std::move(members), {}};
}

}  // namespace tonvera
