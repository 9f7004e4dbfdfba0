#include "platform/linux/xdg_autostart_login_item.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/unique_fd.h"

namespace tonvera {
namespace {

std::string errnoText(int error) {
    return std::generic_category().message(error);
}

// A desktop entry's string value, where a backslash is itself an escape.
std::string stringValue(const std::string& text) {
    std::string value;
    for (const char c : text) {
        if (c == '\\') {
            value += "\\\\";
        } else if (c == '\n') {
            value += "\\n";
        } else {
            value += c;
        }
    }
    return value;
}

// A desktop entry's Exec argument: quoted when it holds anything but plain characters, with
// the characters that stay special inside quotes escaped, and a percent sign doubled so it is
// no field code; then escaped once more as a string value.
std::string execArgument(const std::string& path) {
    const bool plain = path.find_first_of(" \t\n\"'\\><~|&;$*?#()`%=") == std::string::npos;
    std::string quoted;
    if (plain) {
        quoted = path;
    } else {
        quoted += '"';
        for (const char c : path) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') {
                quoted += '\\';
            }
            quoted += c;
        }
        quoted += '"';
    }
    std::string argument;
    for (const char c : quoted) {
        argument += c;
        if (c == '%') {
            argument += '%';
        }
    }
    return stringValue(argument);
}

void writeAtomically(const std::filesystem::path& path, const std::string& contents) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
        throw LoginItemError(
            fmt::format("Could not create {}: {}", path.parent_path().string(), error.message()));
    }
    std::string pattern = path.string() + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    UniqueFd file(::mkostemp(name.data(), O_CLOEXEC));
    if (!file.valid()) {
        throw LoginItemError(
            fmt::format("Could not write {}: {}", path.string(), errnoText(errno)));
    }
    const std::string temporary(name.data());
    std::size_t done = 0;
    bool written = ::fchmod(file.get(), S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH) == 0;
    while (written && done < contents.size()) {
        const ssize_t count = ::write(file.get(), contents.data() + done, contents.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        written = count > 0;
        done += written ? static_cast<std::size_t>(count) : 0;
    }
    written = written && ::fsync(file.get()) == 0;
    const int writeError = errno;
    if (!file.close() || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const int failure = written ? errno : writeError;
        ::unlink(temporary.c_str());
        throw LoginItemError(
            fmt::format("Could not write {}: {}", path.string(), errnoText(failure)));
    }
}

}  // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(std::filesystem::path autostartFolder,
                                             std::filesystem::path executable)
    : folder_(std::move(autostartFolder)),
      entryPath_(folder_ / kFileName),
      executable_(std::move(executable)) {}

std::filesystem::path XdgAutostartLoginItem::defaultFolder() {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): read at start-up, before other threads exist.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        return std::filesystem::path(config) / "autostart";
    }
    // NOLINTNEXTLINE(concurrency-mt-unsafe): as above.
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && home[0] != '\0' ? home : ".") / ".config" / "autostart";
}

std::filesystem::path XdgAutostartLoginItem::runningExecutable() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

std::string XdgAutostartLoginItem::entryText(const std::filesystem::path& executable) {
    return fmt::format(
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Tonvera\n"
        "GenericName=Speaker Reconnect\n"
        "Comment=Keeps your sound on your preferred speaker\n"
        "Exec={}\n"
        "TryExec={}\n"
        "Icon=tonvera\n"
        "Terminal=false\n"
        "StartupNotify=false\n"
        "Categories=AudioVideo;Audio;\n"
        "X-GNOME-Autostart-enabled=true\n",
        execArgument(executable.string()), stringValue(executable.string()));
}

LoginItemStatus XdgAutostartLoginItem::status() const {
    std::error_code error;
    if (!std::filesystem::exists(entryPath_, error)) {
        return error ? LoginItemStatus::notFound : LoginItemStatus::notRegistered;
    }
    std::ifstream file(entryPath_);
    if (!file) {
        return LoginItemStatus::notFound;
    }
    // Only the main group counts; keys of actions or other groups do not hide the entry.
    std::string line;
    bool inMainGroup = false;
    while (std::getline(file, line)) {
        if (line.starts_with('[')) {
            inMainGroup = line == "[Desktop Entry]";
        } else if (inMainGroup && line.starts_with("Hidden")) {
            std::string rest = line.substr(6);
            rest.erase(0, rest.find_first_not_of(' '));
            if (rest.starts_with('=')) {
                rest.erase(0, rest.find_first_not_of(" =", 0));
                if (rest.starts_with("true")) {
                    return LoginItemStatus::notRegistered;
                }
            }
        }
    }
    return LoginItemStatus::enabled;
}

void XdgAutostartLoginItem::registerItem() {
    if (executable_.empty() || !executable_.is_absolute()) {
        throw LoginItemError("The path of the running program is unknown");
    }
    writeAtomically(entryPath_, entryText(executable_));
}

void XdgAutostartLoginItem::unregisterItem() {
    if (::unlink(entryPath_.c_str()) != 0 && errno != ENOENT) {
        throw LoginItemError(
            fmt::format("Could not remove {}: {}", entryPath_.string(), errnoText(errno)));
    }
}

}  // namespace tonvera
