#include "platform/linux/desktop_workspace.h"

#include <chrono>
#include <utility>

#include <fmt/format.h>
#include <unistd.h>

namespace tonvera {
namespace {

constexpr std::string_view kPanePrefix = "x-apple.systempreferences:";

bool isWebAddress(std::string_view address) {
    return address.starts_with("https://") || address.starts_with("http://");
}

// Starts the opener ($2 and on) in the background and waits for it at most $1 seconds. An
// opener that ends within the bound reports its own status; one still running then (a
// settings application stays open) counts as opened and runs on with no tie to us.
constexpr const char* kStartAndWatch = R"(bound=$1; shift
trap 'exit 0' USR1
"$@" </dev/null >/dev/null 2>&1 &
opener=$!
(sleep "$bound"; kill -USR1 $$) </dev/null >/dev/null 2>&1 &
timer=$!
wait "$opener"
status=$?
trap '' USR1
kill "$timer" 2>/dev/null
exit "$status")";

}  // namespace

DesktopWorkspace::DesktopWorkspace(std::shared_ptr<ProcessLauncher> launcher,
                                   std::string searchPath, std::chrono::milliseconds openerBound)
    : launcher_(std::move(launcher)),
      searchPath_(std::move(searchPath)),
      openerBound_(openerBound) {}

std::vector<DesktopWorkspace::Command> DesktopWorkspace::commandsFor(std::string_view address) {
    if (isWebAddress(address)) {
        return {{"xdg-open", {std::string(address)}}};
    }
    if (!address.starts_with(kPanePrefix)) {
        return {};
    }
    const std::string_view pane = address.substr(kPanePrefix.size());
    // No Linux desktop asks for an accessibility permission: what a person can act on here is
    // the sound output, so the permission's pane leads to the sound settings as well.
    if (pane == "com.apple.Sound-Settings.extension" || pane.ends_with("?Privacy_Accessibility")) {
        return {{"gnome-control-center", {"sound"}},
                {"systemsettings", {"kcm_pulseaudio"}},
                {"pavucontrol", {}},
                {"xfce4-mixer", {}}};
    }
    return {};
}

bool DesktopWorkspace::openURL(std::string_view address) {
    for (const auto& command : commandsFor(address)) {
        const std::string program = findProgram(command.program);
        if (program.empty()) {
            continue;
        }
        std::vector<std::string> arguments{
            "-c", kStartAndWatch, "tonvera-open",
            fmt::format("{:.3f}", std::chrono::duration<double>(openerBound_).count()), program};
        arguments.insert(arguments.end(), command.arguments.begin(), command.arguments.end());
        try {
            const auto result =
                launcher_->run("/bin/sh", arguments, openerBound_ + std::chrono::seconds(5), {});
            if (result.ending == ProcessResult::Ending::exited && result.exitStatus == 0) {
                return true;
            }
        } catch (const ProcessLaunchError&) {
            // Try the next tool.
        }
    }
    return false;
}

std::string DesktopWorkspace::findProgram(const std::string& program) const {
    std::string_view folders = searchPath_;
    while (!folders.empty()) {
        const auto colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        if (folder.empty() || folder.front() != '/') {
            continue;  // relative entries would depend on our working folder
        }
        std::string candidate = std::string(folder) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

}  // namespace tonvera
