#include "platform/linux/file_lock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>

namespace tonvera {

FileLock FileLock::tryTake(const std::filesystem::path& path) {
    UniqueFd file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!file.valid()) {
        return {State::failed, std::error_code(errno, std::generic_category()), UniqueFd()};
    }
    while (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            return {State::heldByOther, {}, UniqueFd()};
        }
        if (errno != EINTR) {
            return {State::failed, std::error_code(errno, std::generic_category()), UniqueFd()};
        }
    }
    return {State::held, {}, std::move(file)};
}

}  // namespace tonvera
