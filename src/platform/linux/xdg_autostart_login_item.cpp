#include "platform/linux/xdg_autostart_login_item.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <string_view>
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

using Keys = std::map<std::string, std::string, std::less<>>;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

// The keys of the main group; a later line wins, as in the desktops' own readers. Keys of
// actions or other groups do not count.
Keys mainGroupKeys(std::istream& file) {
    Keys keys;
    std::string line;
    bool inMainGroup = false;
    while (std::getline(file, line)) {
        const auto equals = line.find('=');
        if (line.starts_with('[')) {
            inMainGroup = trimmed(line) == "[Desktop Entry]";
        } else if (inMainGroup && !line.starts_with('#') && equals != std::string::npos) {
            // Space around the equals sign belongs to neither side.
            keys.insert_or_assign(std::string(trimmed(std::string_view(line).substr(0, equals))),
                                  std::string(trimmed(std::string_view(line).substr(equals + 1))));
        }
    }
    return keys;
}

std::string_view valueOf(const Keys& keys, std::string_view key) {
    const auto found = keys.find(key);
    return found == keys.end() ? std::string_view() : std::string_view(found->second);
}

bool listed(const Keys& keys, std::string_view key, const std::string& desktop) {
    return (fmt::format(";{};", valueOf(keys, key))).find(fmt::format(";{};", desktop)) !=
           std::string::npos;
}

// The first of the current desktop's names that OnlyShowIn or NotShowIn mentions decides; when
// none is mentioned, an OnlyShowIn list keeps the entry off.
bool shownOn(const Keys& keys, const std::vector<std::string>& desktops) {
    for (const auto& desktop : desktops) {
        if (listed(keys, "OnlyShowIn", desktop)) {
            return true;
        }
        if (listed(keys, "NotShowIn", desktop)) {
            return false;
        }
    }
    return !keys.contains("OnlyShowIn");
}

// Writes `text` as the entry at `path`, through a link to its target so the link stays.
void writeEntry(const std::filesystem::path& path, std::string_view text) {
    if (const auto failure = replaceFileAtomically(
            followLinks(path), text, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH, ".tonvera.desktop.")) {
        throw LoginItemError(*failure);
    }
}

}  // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(std::filesystem::path autostartFolder,
                                             std::filesystem::path executable,
                                             std::vector<std::string> currentDesktops)
    : folder_(std::move(autostartFolder)),
      entryPath_(folder_ / kFileName),
      executable_(std::move(executable)),
      currentDesktops_(std::move(currentDesktops)) {}

std::filesystem::path XdgAutostartLoginItem::defaultFolder() {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): read at start-up, before other threads exist.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        return std::filesystem::path(config) / "autostart";
    }
    // NOLINTNEXTLINE(concurrency-mt-unsafe): as above.
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && home[0] != '\0' ? home : ".") / ".config" / "autostart";
}

std::vector<std::string> XdgAutostartLoginItem::currentDesktops() {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): read at start-up, before other threads exist.
    const char* value = std::getenv("XDG_CURRENT_DESKTOP");
    std::vector<std::string> names;
    for (std::string_view rest = value != nullptr ? value : ""; !rest.empty();) {
        const auto colon = rest.find(':');
        if (const auto name = rest.substr(0, colon); !name.empty()) {
            names.emplace_back(name);
        }
        rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
    }
    return names;
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
    // Each of these keeps the desktop from starting the entry, so registering writes one of
    // our own again.
    const Keys keys = mainGroupKeys(file);
    const auto hidden = valueOf(keys, "Hidden");
    const auto gnomeEnabled = valueOf(keys, "X-GNOME-Autostart-enabled");
    if (hidden == "true" || hidden == "1" || gnomeEnabled == "false" || gnomeEnabled == "0" ||
        !shownOn(keys, currentDesktops_)) {
        return LoginItemStatus::notRegistered;
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
    writeEntry(entryPath_, entryText(executable_));
}

void XdgAutostartLoginItem::unregisterItem() {
    std::error_code error;
    if (std::filesystem::is_symlink(entryPath_, error)) {
        // The user keeps the entry elsewhere (a dotfiles folder, say). Removing the link would
        // leave the entry there saying "start", and the next time the dotfiles are linked in,
        // the program would start at login again; so the link stays and the entry is switched
        // off, which desktops take as deleted. A link to nothing starts nothing anyway.
        if (std::filesystem::exists(entryPath_, error)) {
            writeEntry(entryPath_,
                       "[Desktop Entry]\nType=Application\nName=Tonvera\nHidden=true\n");
        }
        return;
    }
    if (::unlink(entryPath_.c_str()) != 0 && errno != ENOENT) {
        throw LoginItemError(
            fmt::format("Could not remove {}: {}", entryPath_.string(), errnoText(errno)));
    }
}

}  // namespace tonvera
