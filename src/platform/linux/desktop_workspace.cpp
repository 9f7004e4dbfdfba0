#include "platform/linux/desktop_workspace.h"

#include <chrono>
#include <utility>

#include <unistd.h>

namespace tonvera {
namespace {

constexpr std::string_view kPanePrefix = "x-apple.systempreferences:";

bool isWebAddress(std::string_view address) {
    return address.starts_with("https://") || address.starts_with("http://");
}

// The program runs on in the background after the shell has returned, with no tie to us.
constexpr const char* kDetach = R"(exec "$0" "$@" </dev/null >/dev/null 2>&1 &)";

}  // namespace

DesktopWorkspace::DesktopWorkspace(std::shared_ptr<ProcessLauncher> launcher,
                                   std::string searchPath)
    : launcher_(std::move(launcher)), searchPath_(std::move(searchPath)) {}

std::vector<DesktopWorkspace::Command> DesktopWorkspace::commandsFor(std::string_view address) {
    if (isWebAddress(address)) {
        return {{"xdg-open", {std::string(address)}}};
    }
    if (!address.starts_with(kPanePrefix)) {
        return {};
    }
    const std::string_view pane = address.substr(kPanePrefix.size());
    if (pane == "com.apple.Sound-Settings.extension") {
        return {{"gnome-control-center", {"sound"}},
                {"systemsettings", {"kcm_pulseaudio"}},
                {"pavucontrol", {}}};
    }
    if (pane.ends_with("?Privacy_Accessibility")) {
        return {{"gnome-control-center", {"universal-access"}}, {"systemsettings", {"kcm_access"}}};
    }
    return {};
}

bool DesktopWorkspace::openURL(std::string_view address) {
    for (const auto& command : commandsFor(address)) {
        const std::string program = findProgram(command.program);
        if (program.empty()) {
            continue;
        }
        std::vector<std::string> arguments{"-c", kDetach, program};
        arguments.insert(arguments.end(), command.arguments.begin(), command.arguments.end());
        try {
            const auto result =
                launcher_->run("/bin/sh", arguments, std::chrono::seconds(5), std::stop_token{});
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
