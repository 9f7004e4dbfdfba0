#pragma once

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/testing/manual_task_runner.h"
#include "platform/testing/memory_log_sink.h"
#include "platform/testing/memory_user_defaults.h"
#include "platform/testing/scripted_sound_outputs.h"
#include "platform/testing/trust_switch.h"
#include "platform/testing/virtual_time.h"
#include "reconnect/speaker_follower.h"
#include "selection/accessibility_error.h"
#include "selection/cancellation_error.h"
#include "support/scripted_selector.h"

namespace tonvera::testing {

using namespace std::chrono_literals;

inline std::string visibleName(const std::string& identifier) {
    static const std::map<std::string, std::string> names = {
        {"raop1", "Arbeitszimmer"}, {"raop2", "Arbeitszimmer"}, {"room", "Wohnzimmer"},
        {"kitchen", "Küche Radio"}, {"hdmi", "HDMI"},           {"phones", "Kopfhörer"},
    };
    return names.at(identifier);
}

// What the server offers, by internal names between blanks; the one with a star plays.
inline std::vector<SoundOutput> offer(const std::string& identifiers) {
    std::vector<SoundOutput> list;
    std::istringstream words(identifiers);
    for (std::string word; words >> word;) {
        const std::string identifier = word.substr(0, word.find('*'));
        list.push_back(SoundOutput{visibleName(identifier), identifier, word.ends_with('*')});
    }
    return list;
}

// The follower in virtual time, with the orchestrator, scripted outputs and selectors. The
// preferred output is "Arbeitszimmer"; while it is away, Küche Radio, then Wohnzimmer.
struct Scene {
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>();
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    std::shared_ptr<AppSettings> settings =
        std::make_shared<AppSettings>(std::make_shared<MemoryUserDefaults>());
    std::shared_ptr<ScriptedSoundOutputs> outputs = std::make_shared<ScriptedSoundOutputs>(time);
    std::shared_ptr<ScriptedSelector> native = std::make_shared<ScriptedSelector>(time);
    std::shared_ptr<ScriptedSelector> script = std::make_shared<ScriptedSelector>(time);
    std::shared_ptr<SoundIntent> intent = std::make_shared<SoundIntent>();
    std::shared_ptr<ReconnectOrchestrator> orchestrator = std::make_shared<ReconnectOrchestrator>(
        native, script, std::make_shared<TrustSwitch>(), time, log, intent);
    std::shared_ptr<ManualTaskRunner> tasks = std::make_shared<ManualTaskRunner>();
    std::shared_ptr<SpeakerFollower> follower =
        SpeakerFollower::create(outputs, settings, orchestrator, tasks, time, time, log);
    std::vector<std::pair<std::string, std::string>> stayedAway;

    Scene() {
        follower->start([this](const std::string& speaker, const std::string& current, bool) {
            stayedAway.emplace_back(speaker, current);
        });
        orchestrator->setPresentOutputs([this] { return outputs->read(1s); });
        settings->setFallbackOutputs({"Küche Radio", "Wohnzimmer"});
        outputs->set(offer("room* kitchen"));
        script->thenThrow(AccessibilityError::unknown("no"));
        // Pressing an output in the menu makes it the default, as the server does.
        native->then([this](const std::string& name, const std::stop_token&) { press(name); });
    }
    ~Scene() { time->stopMainQueue(); }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    void press(const std::string& name) {
        auto list = outputs->outputs();
        if (std::ranges::none_of(list, [&](const auto& o) { return o.name == name; })) {
            throw AccessibilityError::deviceNotFound(name);
        }
        bool first = true;
        for (auto& output : list) {
            output.isDefault = output.name == name && std::exchange(first, false);
        }
        outputs->set(list);
    }
    // The Sound menu's own wait before it presses, which a pick by hand cuts short.
    void pressAfterTheMenusWait() {
        native->restart().then([this](const std::string& name, const std::stop_token& stop) {
            if (!time->sleepFor(700ms, stop)) {
                throw CancellationError();
            }
            press(name);
        });
    }
    // Watches all the time from `list` on.
    void followAlways(std::vector<SoundOutput> list) {
        outputs->set(std::move(list));
        settings->setConnectWhenSpeakerAppears(true);
        drain();
    }
    void wake() {
        follower->followForAWhile(Intent::Source::wake);
        follower->selectBest();
    }

    // Delivers the list and runs what it starts, pauses and all, as the application would.
    void show(std::vector<SoundOutput> list) {
        outputs->set(std::move(list));
        drain();
    }
    void drain() {
        for (;;) {
            time->advanceBy({});
            time->setAutoAdvance(true);
            const auto ran = tasks->runPending();
            time->setAutoAdvance(false);
            if (ran == 0) {
                break;
            }
        }
        time->advanceBy({});
    }
    // Runs the queued run on a thread of its own until it waits in a pause or in the menu.
    std::thread runUntilItWaits() {
        time->advanceBy({});
        std::thread run([this] { tasks->runPending(); });
        time->waitForSleepers(1);
        return run;
    }
    std::string playing() const {
        const auto list = outputs->outputs();
        const auto found = std::ranges::find_if(list, &SoundOutput::isDefault);
        return found != list.end() ? found->identifier : "";
    }
    std::vector<std::string> decisions() const {
        std::vector<std::string> lines;
        for (const auto& line : log->lines()) {
            if (line.find(" — ") != std::string::npos && line.starts_with("info")) {
                lines.push_back(line.substr(std::string("info: [AirPlay] ").size()));
            }
        }
        return lines;
    }
};

}  // namespace tonvera::testing
