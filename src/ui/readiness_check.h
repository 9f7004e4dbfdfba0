#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/desktop_readiness.h"
#include "platform/localizer.h"
#include "platform/main_queue.h"
#include "platform/task_runner.h"

namespace tonvera {

// The sound pane of the system's settings; each workspace opens its own desktop's counterpart.
inline constexpr std::string_view kSoundSettingsAddress =
    "x-apple.systempreferences:com.apple.Sound-Settings.extension";

// One look at the desktop: each part Tonvera needs, present or not.
struct ReadinessReport {
    bool trayHost = false;
    bool soundServer = false;
    bool systemBus = false;

    bool allReady() const { return trayHost && soundServer && systemBus; }
    friend bool operator==(const ReadinessReport&, const ReadinessReport&) = default;
};

// The texts of the readiness page and badge, in the user's language.
struct ReadinessTexts {
    std::string step;
    std::string title;
    std::string introduction;
    std::string checking;
    std::string trayTitle;
    std::string trayReady;
    std::string trayMissing;
    std::string soundTitle;
    std::string soundReady;
    std::string soundMissing;
    std::string wakeTitle;
    std::string wakeReady;
    std::string wakeMissing;
    std::string openSoundSettings;
    std::string checkAgain;
    std::string allReady;
    std::string continueAnyway;
    // The Settings window's badge, which names only what is missing.
    std::string badgeTrayMissing;
    std::string badgeSoundMissing;
    std::string badgeWakeMissing;

    static ReadinessTexts load(const Localizer& localizer);
};

// Looks at the desktop for a window: the checks run on the task pool (they may wait briefly
// for a bus or the sound server) and the report comes back on the main queue. A window asks
// again whenever it is shown or activated; there is no polling. A request made while a look
// runs is served by one more look after it, so the report never predates the last request.
class ReadinessCheck {
  public:
    ReadinessCheck(std::shared_ptr<DesktopReadiness> readiness, std::shared_ptr<TaskRunner> tasks,
                   std::shared_ptr<MainQueue> mainQueue, std::function<void()> changed);
    ~ReadinessCheck();
    ReadinessCheck(const ReadinessCheck&) = delete;
    ReadinessCheck& operator=(const ReadinessCheck&) = delete;

    void recheck();

    // Absent until the first look has ended.
    const std::optional<ReadinessReport>& report() const;
    bool isChecking() const;

  private:
    struct State;
    static void start(const std::shared_ptr<State>& state);

    std::shared_ptr<State> state_;
};

}  // namespace tonvera
