#pragma once

#include <filesystem>
#include <string>

#include "platform/login_item.h"

namespace tonvera {

// The login item as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/tonvera.desktop.
// Name, icon and categories are those of the installed launcher (data/tonvera.desktop).
// Desktops start every entry there at login unless it says Hidden=true. Registering writes the
// entry atomically with the running executable's absolute path, also as TryExec, so desktops
// skip an entry whose program was uninstalled; unregistering removes it.
class XdgAutostartLoginItem final : public LoginItem {
  public:
    static constexpr const char* kFileName = "tonvera.desktop";

    // `autostartFolder` is where entries live; `executable` the absolute path to start.
    XdgAutostartLoginItem(std::filesystem::path autostartFolder, std::filesystem::path executable);

    // $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when that is unset or relative.
    static std::filesystem::path defaultFolder();

    // The path of this process's own executable.
    static std::filesystem::path runningExecutable();

    LoginItemStatus status() const override;
    void registerItem() override;
    void unregisterItem() override;

    // The entry's text for `executable`, with the path quoted as desktop entries require.
    static std::string entryText(const std::filesystem::path& executable);

    const std::filesystem::path& entryPath() const { return entryPath_; }

  private:
    std::filesystem::path folder_;
    std::filesystem::path entryPath_;
    std::filesystem::path executable_;
};

}  // namespace tonvera
