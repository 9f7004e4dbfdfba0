#pragma once

#include <optional>
#include <string>

#include "platform/localizer.h"

namespace tonvera::cli {

// The commands that answer in the terminal and end: no display, no application object, no
// tray, no GUI library. Settings are read, never written. Texts come in the user's language
// from `localizer`; names are shown with terminalText, JSON exactly. Each returns the
// process's exit status.

// The outputs as the windows list them, one a line: "* " before the one selected now, two
// spaces before the others. With `json`: {"outputs": [{"name": …, "default": …}, …]}.
int listOutputs(const Localizer& localizer, bool json);

// Selects `name` (nothing: the preferred output) now. A Tonvera running in this session does
// it and answers when its run is over; otherwise this process runs the reconnect itself,
// holding a lock in the session's runtime folder for the run, so a second command refuses
// meanwhile as the running Tonvera would.
int connect(const Localizer& localizer, const std::optional<std::string>& name);

// The ranking (the outputs above the preferred one, the preferred output, the list below it),
// the current output and its place in it, the automatic switches and the running Tonvera; fails
// (still printing all it knows) when the sound server or the running Tonvera does not answer.
int status(const Localizer& localizer, bool json);

}  // namespace tonvera::cli
