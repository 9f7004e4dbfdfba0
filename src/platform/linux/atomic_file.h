#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace tonvera {

// The file `path` names: a symbolic link (into a dotfiles repository, say) is followed to its
// target, also to one that does not exist yet, so that a write replaces the target and the
// link stays. A path that is no link comes back as it is.
std::filesystem::path followLinks(std::filesystem::path path);

// Replaces `target` with `contents` so that a crash at any moment leaves either the old or the
// new file: a temporary file beside it (named `temporaryPrefix` and six random characters),
// flushed to disk, renamed over the target, and the rename made durable. Returns what went
// wrong, naming the file, or nothing on success; a failed write leaves no temporary behind.
std::optional<std::string> replaceFileAtomically(const std::filesystem::path& target,
                                                 std::string_view contents, mode_t mode,
                                                 std::string_view temporaryPrefix);

}  // namespace tonvera
