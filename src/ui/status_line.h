#pragma once

#include <string>

namespace tonvera {

// What a window's status line says and what kind of news it is, so that it can be told by a
// symbol as well as by its words.
enum class StatusKind { progress, done, notice, error };

struct StatusLine {
    std::string text;
    StatusKind kind = StatusKind::notice;

    friend bool operator==(const StatusLine&, const StatusLine&) = default;
};

}  // namespace tonvera
