#pragma once

#include <optional>
#include <string>

namespace tonvera::cli {

// The commands that answer in the terminal and end: no display, no application object, no
// tray. Settings are read, never written. Each returns the process's exit status.

// The outputs as the windows list them, one a line: "* " before the one selected now, two
// spaces before the others. With `json`: {"outputs": [{"name": …, "default": …}, …]}.
int listOutputs(bool json);

// Selects `name` (nothing: the preferred output) now. A Tonvera running in this session does
// it and answers when its run is over; otherwise this process runs the reconnect itself.
int connect(const std::optional<std::string>& name);

// The preferred and current output, the automatic switches and the running Tonvera.
int status(bool json);

// What the running application answers to a status request: its process, version and
// whether a reconnect is under way, as one JSON object.
std::string instanceStatus(bool reconnecting);

}  // namespace tonvera::cli
