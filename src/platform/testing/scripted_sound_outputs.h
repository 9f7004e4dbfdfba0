#pragma once

#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/main_queue.h"
#include "platform/sound_outputs.h"

namespace tonvera::testing {

// Outputs a test sets by hand. Each change reaches every watch through the main queue, as the
// real server's events do; `watchCount` tells whether anything still listens.
class ScriptedSoundOutputs final : public SoundOutputs {
  public:
    explicit ScriptedSoundOutputs(std::shared_ptr<MainQueue> mainQueue)
        : mainQueue_(std::move(mainQueue)) {}

    std::unique_ptr<SoundOutputsWatch> watch(Handler handler) override {
        auto watch = std::make_unique<Watch>(*this, std::make_shared<Handler>(std::move(handler)));
        watches_.push_back(watch->handler);
        deliver(watch->handler);
        return watch;
    }

    List read(std::chrono::milliseconds /*timeout*/) override {
        std::lock_guard lock(mutex_);
        ++reads_;
        return outputs_;
    }

    // Replaces the list and tells every watch.
    void set(std::vector<SoundOutput> outputs) { replace(std::move(outputs)); }

    // The server goes away: every watch hears "no list".
    void lose() { replace(std::nullopt); }

    std::vector<SoundOutput> outputs() const {
        std::lock_guard lock(mutex_);
        return outputs_.value_or(std::vector<SoundOutput>{});
    }
    std::size_t watchCount() { return live().size(); }
    int reads() const {
        std::lock_guard lock(mutex_);
        return reads_;
    }

  private:
    struct Watch final : SoundOutputsWatch {
        Watch(ScriptedSoundOutputs& watchOutputs, std::shared_ptr<Handler> watchHandler)
            : outputs(watchOutputs), handler(std::move(watchHandler)) {}
        void refresh() override { outputs.deliver(handler); }
        ScriptedSoundOutputs& outputs;
        std::shared_ptr<Handler> handler;
    };

    void replace(List outputs) {
        {
            std::lock_guard lock(mutex_);
            outputs_ = std::move(outputs);
        }
        for (const auto& handler : live()) {
            deliver(handler);
        }
    }

    std::vector<std::shared_ptr<Handler>> live() {
        std::erase_if(watches_, [](const auto& weak) { return weak.expired(); });
        std::vector<std::shared_ptr<Handler>> handlers;
        for (const auto& weak : watches_) {
            if (auto handler = weak.lock()) {
                handlers.push_back(std::move(handler));
            }
        }
        return handlers;
    }

    void deliver(const std::shared_ptr<Handler>& handler) {
        List outputs;
        {
            std::lock_guard lock(mutex_);
            outputs = outputs_;
        }
        mainQueue_->post([weak = std::weak_ptr(handler), outputs = std::move(outputs)] {
            if (const auto alive = weak.lock()) {
                (*alive)(outputs);
            }
        });
    }

    std::shared_ptr<MainQueue> mainQueue_;
    mutable std::mutex mutex_;
    List outputs_ = std::vector<SoundOutput>{};
    int reads_ = 0;
    std::vector<std::weak_ptr<Handler>> watches_;
};

}  // namespace tonvera::testing
