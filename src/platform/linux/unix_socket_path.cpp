#include "platform/linux/unix_socket_path.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>

#include "platform/linux/unique_fd.h"

namespace tonvera {
namespace {

// Runs `call` (bind or connect) with an address that reaches `path`.
template <typename Call>
int withAddress(const std::filesystem::path& path, Call call) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const auto attempt = [&](const std::string& text) {
        std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
        // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the socket API's type.
        return call(reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? 0 : errno;
    };
    const std::string& direct = path.native();
    if (direct.empty()) {
        return ENOENT;
    }
    if (direct.size() < sizeof address.sun_path) {
        return attempt(direct);
    }
    const UniqueFd folder(::open(path.parent_path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) {
        return errno;
    }
    const std::string viaFolder =
        "/proc/self/fd/" + std::to_string(folder.get()) + "/" + path.filename().native();
    return viaFolder.size() < sizeof address.sun_path ? attempt(viaFolder) : ENAMETOOLONG;
}

}  // namespace

int bindUnixSocket(int socket, const std::filesystem::path& path) {
    return withAddress(path, [socket](const sockaddr* address, socklen_t size) {
        return ::bind(socket, address, size);
    });
}

int connectUnixSocket(int socket, const std::filesystem::path& path) {
    return withAddress(path, [socket](const sockaddr* address, socklen_t size) {
        return ::connect(socket, address, size);
    });
}

}  // namespace tonvera
