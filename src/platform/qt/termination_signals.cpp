#include "platform/qt/termination_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <array>
#include <csignal>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/qt/quit_request.h"

namespace tonvera {
namespace {

// Written by the signal handler, read on the main thread. A handler may only do
// async-signal-safe work, so it just writes one byte.
std::array<int, 2> wakePair{-1, -1};
constexpr std::array kSignals = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onTerminationSignal(int /*signal*/) {
    const int savedErrno = errno;
    const char byte = 1;
    // Nothing to do when it fails: a full socket already holds a wake-up for the event loop.
    [[maybe_unused]] const ssize_t written = ::write(wakePair[0], &byte, 1);
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakePair.data()) !=
        0) {
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(wakePair[1], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [] {
        std::array<char, 16> buffer{};
        while (::read(wakePair[1], buffer.data(), buffer.size()) > 0) {
        }
        requestQuit();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) {
        return;
    }
    // Back to the default: a signal during the last steps of shutdown ends the process.
    for (const int signal : kSignals) {
        ::signal(signal, SIG_DFL);
    }
    notifier_.reset();
    ::close(wakePair[0]);
    ::close(wakePair[1]);
    wakePair = {-1, -1};
}

}  // namespace tonvera
