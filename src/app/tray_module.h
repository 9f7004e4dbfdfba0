#pragma once

#include <string>
#include <variant>

// The tray application (Qt, the windows, the delegate) lives in a module of its own that the
// command loads only to run it: the commands that answer in the terminal never map a GUI
// library, and the running application is still the process `tonvera`, whose
// /proc/<pid>/exe is the command's own executable.
namespace tonvera::tray_module {

// The module's one exported function: runs the tray application with the process's
// arguments and returns its exit status.
using Entry = int (*)(int argc, char** argv);
inline constexpr const char* kEntryName = "tonvera_run_tray_application";

// Loads the module from beside the executable (a build tree) or from where the install puts
// it; the text says what went wrong when it cannot be loaded.
std::variant<Entry, std::string> load();

}  // namespace tonvera::tray_module
