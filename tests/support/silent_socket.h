#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "support/temporary_directory.h"

namespace tonvera::testing {

// A socket that accepts connections (the kernel does, into the backlog) and never says a word:
// a bus that hangs.
class SilentSocket {
  public:
    SilentSocket() : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path().string().copy(address.sun_path, sizeof address.sun_path - 1);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd_, 8) != 0) {
            throw std::runtime_error("cannot listen on " + path().string());
        }
    }
    ~SilentSocket() { ::close(fd_); }
    SilentSocket(const SilentSocket&) = delete;
    SilentSocket& operator=(const SilentSocket&) = delete;

    std::filesystem::path path() const { return directory_.path() / "silent"; }
    std::string busAddress() const { return "unix:path=" + path().string(); }

  private:
    TemporaryDirectory directory_;
    int fd_;
};

}  // namespace tonvera::testing
