#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "support/temporary_directory.h"

namespace tonvera::testing {

// A socket that listens on a path of its own. The kernel accepts connections into the backlog;
// as long as its owner accepts none, it is a bus that hangs and never says a word.
class ListeningSocket {
  public:
    ListeningSocket() : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path().string().copy(address.sun_path, sizeof address.sun_path - 1);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd_, 8) != 0) {
            throw std::runtime_error("cannot listen on " + path().string());
        }
    }
    ~ListeningSocket() { ::close(fd_); }
    ListeningSocket(const ListeningSocket&) = delete;
    ListeningSocket& operator=(const ListeningSocket&) = delete;

    int fd() const { return fd_; }
    std::filesystem::path path() const { return directory_.path() / "socket"; }
    std::string busAddress() const { return "unix:path=" + path().string(); }

  private:
    TemporaryDirectory directory_;
    int fd_;
};

}  // namespace tonvera::testing
