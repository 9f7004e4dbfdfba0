#include "platform/linux/json_file_user_defaults.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <fmt/chrono.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/atomic_file.h"
#include "platform/linux/errno_text.h"

namespace tonvera {
namespace {

constexpr std::string_view kTemporaryPrefix = ".settings.json.";
// A settings file holds a few kilobytes; one past this bound is not read, only kept.
// Tonvera's own settings take a few kilobytes; a hand-edited list of many or long names may take
// a few megabytes and is still read.
constexpr std::size_t kMaxFileSize = std::size_t{8} << 20;
constexpr std::string_view kTooLarge = "larger than 8 MiB";

// Lists and maps are read one level deep: nothing deeper is a setting, so a value of any
// depth is read without building its tree.
nlohmann::json parseShallow(std::string_view text) {
    using Event = nlohmann::json::parse_event_t;
    return nlohmann::json::parse(
        text,
        [](int depth, Event event, const nlohmann::json&) {
            return depth == 0 || (event != Event::array_start && event != Event::object_start);
        },
        /*allow_exceptions=*/false);
}

// Tonvera's own values are shallow, so they are laid out for people, nested in the object.
std::string memberText(const nlohmann::json& value) {
    std::string text = value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    for (auto at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        text.insert(at + 1, "  ");
    }
    return text;
}

// Values Tonvera does not read are written back as they were, so the file never grows beyond
// its own values and what it held, and no value is walked deeper than one level.
std::string documentText(const JsonMemberTexts& members) {
    std::string text = "{";
    for (const auto& [key, value] : members) {
        text += text.size() == 1 ? "\n  " : ",\n  ";
        text += nlohmann::json(key).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
                ": " + value;
    }
    return text + "\n}\n";
}

std::optional<DefaultsValue> fromJson(const nlohmann::json& value) {
    switch (value.type()) {
        case nlohmann::json::value_t::string:
            return DefaultsValue(value.get<std::string>());
        case nlohmann::json::value_t::boolean:
            return DefaultsValue(value.get<bool>());
        case nlohmann::json::value_t::number_integer:
            return DefaultsValue(value.get<std::int64_t>());
        case nlohmann::json::value_t::number_unsigned: {
            const auto number = value.get<std::uint64_t>();
            if (number <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                return DefaultsValue(static_cast<std::int64_t>(number));
            }
            return DefaultsValue(static_cast<double>(number));
        }
        case nlohmann::json::value_t::number_float:
            return DefaultsValue(value.get<double>());
        case nlohmann::json::value_t::array: {
            // A hand-edited list may hold anything; what is not a name is skipped, and the
            // file keeps it until the list is written anew.
            DefaultsStringList names;
            for (const auto& entry : value) {
                if (entry.is_string()) {
                    names.push_back(entry.get<std::string>());
                }
            }
            return DefaultsValue(std::move(names));
        }
        case nlohmann::json::value_t::object: {
            // As with lists: members that are not texts are skipped and kept in the file.
            DefaultsStringMap members;
            for (const auto& [name, entry] : value.items()) {
                if (entry.is_string()) {
                    members.emplace(name, entry.get<std::string>());
                }
            }
            return DefaultsValue(std::move(members));
        }
        default:
            return std::nullopt;
    }
}

nlohmann::json toJson(const DefaultsValue& value) {
    return std::visit([](const auto& alternative) { return nlohmann::json(alternative); }, value);
}

}  // namespace

JsonFileUserDefaults::JsonFileUserDefaults(std::filesystem::path directory, Logger logger,
                                           Access access)
    : directory_(std::move(directory)),
      filePath_(directory_ / kFileName),
      logger_(std::move(logger)),
      access_(access) {
    load();
}

std::filesystem::path JsonFileUserDefaults::defaultDirectory() {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): read once at start-up, before any thread exists.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        return std::filesystem::path(config) / "tonvera";
    }
    // NOLINTNEXTLINE(concurrency-mt-unsafe): as above.
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && home[0] != '\0' ? home : ".") / ".config" / "tonvera";
}

void JsonFileUserDefaults::registerDefaults(const Registration& defaults) {
    std::lock_guard lock(mutex_);
    for (const auto& [key, value] : defaults) {
        registered_.insert_or_assign(key, value);
    }
}

std::optional<DefaultsValue> JsonFileUserDefaults::object(std::string_view key) const {
    std::lock_guard lock(mutex_);
    if (const auto member = stored_.find(key); member != stored_.end()) {
        if (auto value = fromJson(parseShallow(member->second))) {
            return value;
        }
    }
    if (const auto registered = registered_.find(key); registered != registered_.end()) {
        return registered->second;
    }
    return std::nullopt;
}

void JsonFileUserDefaults::set(std::string_view key, const DefaultsValue& value) {
    std::lock_guard lock(mutex_);
    // The value stays in memory even when the disk refuses it, so nothing the user set is lost
    // while the program runs; the next successful write carries it.
    stored_.insert_or_assign(std::string(key), memberText(toJson(value)));
    if (access_ == Access::readOnly) {
        return;
    }
    if (writesBlocked_) {
        logger_.error("Not saving settings: {} could not be moved aside and is kept as it is",
                      filePath_.string());
        return;
    }
    writeFile(documentText(stored_));
}

void JsonFileUserDefaults::load() {
    std::error_code error;
    if (access_ == Access::readOnly) {
        // A look from the command line uses what it can read and leaves the rest alone.
        std::string ignored;
        if (const auto contents = read(ignored)) {
            stored_ = splitJsonObject(*contents).members;
        }
        return;
    }
    if (!std::filesystem::is_directory(directory_, error)) {
        std::filesystem::create_directories(directory_, error);
        if (error) {
            logger_.error("Could not create the settings folder {}: {}", directory_.string(),
                          error.message());
            return;
        }
        std::filesystem::permissions(directory_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, error);
    }
    removeStaleTemporaries(directory_);
    if (const auto target = followLinks(filePath_).parent_path(); target != directory_) {
        removeStaleTemporaries(target);
    }

    std::string unread;
    const auto contents = read(unread);
    if (!contents) {
        if (!unread.empty()) {
            moveAside(unread);
        }
        return;
    }
    auto [members, problem] = splitJsonObject(*contents);
    if (!problem.empty()) {
        moveAside(problem);
        return;
    }
    stored_ = std::move(members);
}

std::optional<std::string> JsonFileUserDefaults::read(std::string& problem) const {
    std::ifstream file(filePath_, std::ios::binary);
    if (!file) {
        const int openError = errno;
        std::error_code error;
        if (std::filesystem::exists(filePath_, error)) {  // else a first start
            problem = errnoText(openError);
        }
        return std::nullopt;
    }
    // Read in pieces: a file too large is told without reading all of it.
    std::string contents;
    std::array<char, std::size_t{64} * 1024> piece{};
    while (file.read(piece.data(), static_cast<std::streamsize>(piece.size())) ||
           file.gcount() > 0) {
        contents.append(piece.data(), static_cast<std::size_t>(file.gcount()));
        if (contents.size() > kMaxFileSize) {
            problem = kTooLarge;
            return std::nullopt;
        }
    }
    return contents;
}

void JsonFileUserDefaults::moveAside(std::string_view reason) {
    const auto stamp = fmt::format(
        "{:%Y%m%dT%H%M%SZ}",
        std::chrono::time_point_cast<std::chrono::seconds>(std::chrono::system_clock::now()));
    std::error_code error;
    for (int suffix = 0; suffix < 1000; ++suffix) {
        std::string name = fmt::format("{}.unreadable-{}", kFileName, stamp);
        if (suffix > 0) {
            name += fmt::format("-{}", suffix);
        }
        const auto aside = directory_ / name;
        if (std::filesystem::exists(aside, error)) {
            continue;
        }
        std::filesystem::rename(filePath_, aside, error);
        if (error) {
            break;
        }
        logger_.error(
            "Settings file {} could not be read ({}); kept it as {} and started from the defaults",
            filePath_.string(), reason, aside.string());
        return;
    }
    // Writing now would destroy what the user may still want to recover.
    writesBlocked_ = true;
    logger_.error("Settings file {} could not be read ({}) nor moved aside; using the defaults",
                  filePath_.string(), reason);
}

void JsonFileUserDefaults::removeStaleTemporaries(const std::filesystem::path& folder) {
    // Left behind only when a write was interrupted; the real file is intact either way.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(kTemporaryPrefix) && name.size() == kTemporaryPrefix.size() + 6) {
            std::error_code ignored;
            std::filesystem::remove(entry.path(), ignored);
        }
    }
}

void JsonFileUserDefaults::writeFile(const std::string& contents) const {
    // A linked file is written where the link points, and the link stays.
    if (const auto failure = replaceFileAtomically(followLinks(filePath_), contents,
                                                   S_IRUSR | S_IWUSR, kTemporaryPrefix)) {
        logger_.error("{}", *failure);
    }
}

}  // namespace tonvera
