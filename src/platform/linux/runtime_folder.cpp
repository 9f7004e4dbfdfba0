#include "platform/linux/runtime_folder.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <string>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tonvera {
namespace {

std::string environmentValue(const char* name) {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): the environment is not changed while we run.
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// A real folder (not a link) that belongs to this user, with mode 0700 once we are done.
bool usable(const std::filesystem::path& folder) {
    // Made here, it is ours and private; a look before would race another start making it.
    if (::mkdir(folder.c_str(), S_IRWXU) == 0) {
        return true;
    }
    struct stat status {};
    if (errno != EEXIST || ::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::geteuid()) {
        return false;
    }
    return (status.st_mode & ~S_IFMT) == S_IRWXU || ::chmod(folder.c_str(), S_IRWXU) == 0;
}

std::string userName() {
    std::array<char, 4096> buffer{};
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr) {
        return found->pw_name;
    }
    return std::to_string(::geteuid());
}

}  // namespace

std::optional<std::filesystem::path> sessionRuntimeFolder() {
    if (const std::string runtime = environmentValue("XDG_RUNTIME_DIR");
        !runtime.empty() && usable(runtime)) {
        return std::filesystem::path(runtime);
    }
    std::string temporary = environmentValue("TMPDIR");
    while (temporary.size() > 1 && temporary.back() == '/') {
        temporary.pop_back();
    }
    const std::filesystem::path fallback =
        std::filesystem::path(temporary.empty() ? "/tmp" : temporary) / ("runtime-" + userName());
    if (usable(fallback)) {
        return fallback;
    }
    return std::nullopt;
}

}  // namespace tonvera
