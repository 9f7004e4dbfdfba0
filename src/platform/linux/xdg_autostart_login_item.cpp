#include "platform/linux/xdg_autostart_login_item.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/atomic_file.h"
#include "platform/linux/errno_text.h"

namespace tonvera {
namespace {

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
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) {
        throw LoginItemError(
            fmt::format("Could not create {}: {}", folder_.string(), error.message()));
    }
    if (const auto failure =
            replaceFileAtomically(entryPath_, entryText(executable_),
                                  S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH, ".tonvera.desktop.")) {
        throw LoginItemError(*failure);
    }
}

void XdgAutostartLoginItem::unregisterItem() {
    if (::unlink(entryPath_.c_str()) != 0 && errno != ENOENT) {
        throw LoginItemError(
            fmt::format("Could not remove {}: {}", entryPath_.string(), errnoText(errno)));
    }
}

}  // namespace tonvera
