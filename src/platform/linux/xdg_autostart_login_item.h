#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/login_item.h"

namespace tonvera {

// The login item as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/tonvera.desktop.
// Name, icon and categories are those of the installed launcher (data/tonvera.desktop).
// Desktops start an entry there at login unless it says Hidden=true, GNOME's switch
// X-GNOME-Autostart-enabled=false, or its OnlyShowIn/NotShowIn keep it off the current desktop;
// each of these counts as not registered. Registering writes the entry atomically with the
// running executable's absolute path, also as TryExec, so desktops skip an entry whose program
// was uninstalled; unregistering removes it. An entry that is a symbolic link (into a dotfiles
// folder, say) stays one: both write through it to its target.
class XdgAutostartLoginItem final : public LoginItem {
  public:
    static constexpr const char* kFileName = "tonvera.desktop";

    // `autostartFolder` is where entries live; `executable` the absolute path to start;
    // `currentDesktops` the names of the running desktop, most specific first.
    XdgAutostartLoginItem(std::filesystem::path autostartFolder, std::filesystem::path executable,
                          std::vector<std::string> currentDesktops = {});

    // $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when that is unset or relative.
    static std::filesystem::path defaultFolder();

    // The running desktop's names from $XDG_CURRENT_DESKTOP (a colon-separated list).
    static std::vector<std::string> currentDesktops();

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
    std::vector<std::string> currentDesktops_;
};

}  // namespace tonvera
