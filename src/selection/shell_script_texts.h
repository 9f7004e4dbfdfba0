#pragma once

#include <string>

// The POSIX shell scripts of the script route on Linux. They work the sound server with its
// own command-line tools, independently of Tonvera's own connection to it: through wpctl,
// pw-dump and pw-metadata where PipeWire serves the sound (they speak PipeWire's own protocol,
// so they work even while its PulseAudio service is down), through pactl where PulseAudio
// does.
namespace tonvera::shell_script {

// Exit statuses beside 0 (done) and any other (failed, with the tools' message on standard
// error).
inline constexpr int kExitNotFound = 10;       // no output has the name; the outputs follow
inline constexpr int kExitNoSoundServer = 11;  // neither PipeWire nor PulseAudio answers

// Both scripts print outputs one a line: the key the tool selects it by, its internal name,
// "*" for the current output or "-", and its visible name with "%" written as "%25" and line
// breaks as "%0A", separated by tabs.

// Selects the output whose visible name is $1 (composed, NFC) or $2 (decomposed, NFD) and
// moves the streams that played on the previous output to it, as the Sound menu does. Of
// several outputs with the name, the first by internal name that can be selected wins. Prints
// one line on success; prints the outputs and exits with kExitNotFound when none has the name.
const std::string& selectionScript();

// Prints the outputs in the server's order.
const std::string& discoveryScript();

}  // namespace tonvera::shell_script
