#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process_launcher.h"
#include "platform/workspace.h"

namespace tonvera {

// Opens addresses with the desktop's own tools: web addresses in the user's browser, and the
// settings panes that have a counterpart on a Linux desktop (sound, and the accessibility
// permission's pane, which leads to sound as well) in the first sound tool found. Panes without a
// counterpart, and openers that fail, report "not opened", so callers fall back as they would
// elsewhere.
class DesktopWorkspace final : public Workspace {
  public:
    struct Command {
        std::string program;
        std::vector<std::string> arguments;
        friend bool operator==(const Command&, const Command&) = default;
    };

    // `searchPath` is a PATH-style list of folders to find the programs in. An opener that
    // fails within `openerBound` is a failure, and the next candidate is tried; one still
    // running then has opened something. openURL may block for that long: call it off the
    // main thread.
    DesktopWorkspace(std::shared_ptr<ProcessLauncher> launcher, std::string searchPath,
                     std::chrono::milliseconds openerBound = std::chrono::seconds(1));

    bool openURL(std::string_view address) override;

    // The commands that would open `address`, best first; empty when nothing here can.
    static std::vector<Command> commandsFor(std::string_view address);

  private:
    std::string findProgram(const std::string& program) const;

    std::shared_ptr<ProcessLauncher> launcher_;
    std::string searchPath_;
    std::chrono::milliseconds openerBound_;
};

}  // namespace tonvera
