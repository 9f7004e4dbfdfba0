#include "platform/linux/atomic_file.h"

#include <cerrno>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/errno_text.h"
#include "platform/linux/unique_fd.h"

namespace tonvera {
namespace {

bool writeAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::filesystem::path followLinks(std::filesystem::path path) {
    // As many hops as the kernel itself follows before it gives up.
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(path, error)) {
            break;
        }
        const auto target = std::filesystem::read_symlink(path, error);
        if (error) {
            break;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

std::optional<std::string> replaceFileAtomically(const std::filesystem::path& target,
                                                 std::string_view contents, mode_t mode,
                                                 std::string_view temporaryPrefix) {
    // Beside the target, so the rename stays within one file system.
    const auto folder = target.parent_path();
    const std::string pattern = (folder / fmt::format("{}XXXXXX", temporaryPrefix)).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    UniqueFd file(::mkostemp(name.data(), O_CLOEXEC));
    if (!file.valid()) {
        return fmt::format("Could not create a temporary file in {}: {}", folder.string(),
                           errnoText(errno));
    }
    const std::string temporary(name.data());
    const bool written = ::fchmod(file.get(), mode) == 0 && writeAll(file.get(), contents) &&
                         ::fsync(file.get()) == 0;
    const int writeError = errno;
    if (!file.close() || !written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = written ? errno : writeError;
        ::unlink(temporary.c_str());
        return fmt::format("Could not write {}: {}", target.string(), errnoText(error));
    }
    if (UniqueFd directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        directory.valid()) {
        ::fsync(directory.get());
    }
    return std::nullopt;
}

}  // namespace tonvera
