#include "platform/linux/process_signals.h"

#include <csignal>

namespace tonvera {

void resetInheritedSignalDispositions() {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = SIG_DFL;
    ::sigaction(SIGCHLD, &action, nullptr);
    action.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &action, nullptr);
}

}  // namespace tonvera
