#pragma once

#include <filesystem>
#include <optional>

namespace tonvera {

// The session's private runtime folder, found as Qt finds it for the windows, so the tray
// application and the command line meet in the same place: $XDG_RUNTIME_DIR when it is a
// folder of this user's, else <temporary folder>/runtime-<user name>. Made with mode 0700 when
// missing, and put back to 0700 when its mode is wider. Nothing when neither is usable.
std::optional<std::filesystem::path> sessionRuntimeFolder();

}  // namespace tonvera
