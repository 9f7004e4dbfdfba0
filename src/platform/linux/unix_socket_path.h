#pragma once

#include <filesystem>

namespace tonvera {

// Bind and connect for a Unix socket at a path of any length. A socket address holds 107
// bytes of path; a deeper one (a long $XDG_RUNTIME_DIR) is reached through a descriptor of
// its folder as /proc/self/fd/<n>/<name>, which names the same file. Each returns 0, or the
// errno of the failure.
int bindUnixSocket(int socket, const std::filesystem::path& path);
int connectUnixSocket(int socket, const std::filesystem::path& path);

}  // namespace tonvera
