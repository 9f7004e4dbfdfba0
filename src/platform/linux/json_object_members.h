#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tonvera {

// An object's members by key, each value as the JSON text it was written with.
using JsonMemberTexts = std::map<std::string, std::string, std::less<>>;

struct JsonObjectMembers {
    JsonMemberTexts members;
    std::string_view problem;  // why the text is no JSON object; empty when it is one
};

// Splits a JSON object's text into its members without building their values, so a value of
// any depth costs no stack and no more memory than its text. Of a key given twice the last
// value counts, as for JSON readers.
JsonObjectMembers splitJsonObject(std::string_view text);

}  // namespace tonvera
