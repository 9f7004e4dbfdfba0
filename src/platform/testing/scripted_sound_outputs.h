#pragma once

#include <memory>
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
        auto watch = std::make_unique<Watch>(std::make_shared<Handler>(std::move(handler)));
        watches_.push_back(watch->handler);
        deliver(watch->handler);
        return watch;
    }

    // Replaces the list and tells every watch.
    void set(std::vector<SoundOutput> outputs) {
        outputs_ = std::move(outputs);
        for (const auto& handler : live()) {
            deliver(handler);
        }
    }

    const std::vector<SoundOutput>& outputs() const { return outputs_; }
    std::size_t watchCount() { return live().size(); }

  private:
    struct Watch final : SoundOutputsWatch {
        explicit Watch(std::shared_ptr<Handler> watchHandler) : handler(std::move(watchHandler)) {}
        std::shared_ptr<Handler> handler;
    };

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
        mainQueue_->post([weak = std::weak_ptr(handler), outputs = outputs_] {
            if (const auto alive = weak.lock()) {
                (*alive)(outputs);
            }
        });
    }

    std::shared_ptr<MainQueue> mainQueue_;
    std::vector<SoundOutput> outputs_;
    std::vector<std::weak_ptr<Handler>> watches_;
};

}  // namespace tonvera::testing
