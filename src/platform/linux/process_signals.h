#pragma once

namespace tonvera {

// Signal dispositions survive exec, so whatever started this process may have left some
// ignored. Call once at start, before any thread or child exists: SIGCHLD goes back to its
// default, so the children we start keep their exit statuses until we collect them; SIGPIPE
// is ignored, so a write to a reader that went away fails with EPIPE instead of ending the
// application. Children started through PosixProcessLauncher get every default back.
void resetInheritedSignalDispositions();

}  // namespace tonvera
