#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "selection/audio_output_selector.h"

namespace tonvera::testing {

// A selector that plays a script of outcomes, one per call, and records each call with the
// virtual time at which it came. When the script runs out, the last step repeats.
class ScriptedSelector final : public AudioOutputSelector {
  public:
    using Step = std::function<void(const std::string& name, std::stop_token stop)>;

    struct Call {
        std::string name;
        Clock::Duration at;
    };

    explicit ScriptedSelector(std::shared_ptr<Clock> clock) : clock_(std::move(clock)) {}

    ScriptedSelector& then(Step step) {
        std::lock_guard lock(mutex_);
        steps_.push_back(std::move(step));
        return *this;
    }

    template <typename Error>
    ScriptedSelector& thenThrow(Error error) {
        return then([error](const std::string&, std::stop_token) { throw error; });
    }

    // Forgets the remaining script, for a test that plays a second scene.
    ScriptedSelector& restart() {
        std::lock_guard lock(mutex_);
        steps_.clear();
        return *this;
    }

    ScriptedSelector& thenSucceed() {
        return then([](const std::string&, std::stop_token) {});
    }

    void selectDevice(const std::string& name, std::stop_token stop) override {
        Step step;
        {
            std::lock_guard lock(mutex_);
            calls_.push_back(Call{name, clock_->now().time_since_epoch()});
            if (steps_.empty()) {
                throw std::logic_error("ScriptedSelector has no step for this call");
            }
            step = steps_.size() > 1 ? std::move(steps_.front()) : steps_.front();
            if (steps_.size() > 1) {
                steps_.pop_front();
            }
        }
        step(name, std::move(stop));
    }

    std::vector<std::string> discoverDevices(std::stop_token) override {
        throw std::logic_error("the orchestrator never discovers");
    }

    std::vector<Call> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

  private:
    std::shared_ptr<Clock> clock_;
    mutable std::mutex mutex_;
    std::deque<Step> steps_;
    std::vector<Call> calls_;
};

}  // namespace tonvera::testing
