#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

#include "platform/linux/json_object_members.h"
#include "platform/logger.h"
#include "platform/user_defaults.h"

namespace tonvera {

// Preferences in one JSON object file. Every write replaces the file atomically (temporary
// file, flush, rename), so a crash leaves either the old or the new file. When the file is a
// symbolic link, its target is replaced and the link stays. A file that is not a JSON object,
// or larger than 8 MiB, is moved aside under a dated name and never overwritten. Members this
// store does not read, and values deeper than it reads, are written back as they were.
class JsonFileUserDefaults final : public UserDefaults {
  public:
    static constexpr const char* kFileName = "settings.json";

    // `readOnly`: for a look from the command line beside the running application; nothing on
    // disk changes (no folder made, no file moved aside or written), `set` keeps values in memory.
    enum class Access { readWrite, readOnly };

    // Loads `directory`/settings.json, creating the directory (user-only) when it is missing.
    JsonFileUserDefaults(std::filesystem::path directory, Logger logger,
                         Access access = Access::readWrite);

    // $XDG_CONFIG_HOME/tonvera, or ~/.config/tonvera when XDG_CONFIG_HOME is unset or relative.
    static std::filesystem::path defaultDirectory();

    void registerDefaults(const Registration& defaults) override;
    std::optional<DefaultsValue> object(std::string_view key) const override;
    void set(std::string_view key, const DefaultsValue& value) override;

  private:
    void load();
    // The file's contents; nothing when it is missing or `problem` says why it was not read.
    std::optional<std::string> read(std::string& problem) const;
    void moveAside(std::string_view reason);
    static void removeStaleTemporaries(const std::filesystem::path& folder);
    void writeFile(const std::string& contents) const;

    std::filesystem::path directory_;
    std::filesystem::path filePath_;
    Logger logger_;
    mutable std::mutex mutex_;
    JsonMemberTexts stored_;
    Registration registered_;
    bool writesBlocked_ = false;
    Access access_;
};

}  // namespace tonvera
