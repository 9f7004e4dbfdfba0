#include "platform/linux/pulse_sound_outputs.h"

#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/linux/pulse_connection.h"
#include "platform/linux/pulse_outputs_subscription.h"

namespace tonvera {

class PulseSoundOutputs::Hub : public std::enable_shared_from_this<Hub> {
  public:
    Hub(std::shared_ptr<MainQueue> mainQueue, Options options, std::shared_ptr<LogSink> logSink)
        : mainQueue_(std::move(mainQueue)),
          options_(std::move(options)),
          logger_(std::move(logSink), std::string(kLogSubsystem), "Sound") {}

    std::unique_ptr<SoundOutputsWatch> add(Handler handler) {
        auto listener = std::make_shared<Listener>(std::move(handler));
        bool first = false;
        {
            std::lock_guard lock(mutex_);
            first = listeners_.empty();
            listeners_.push_back(listener);
            if (known_) {
                deliver(listener, last_);
            }
        }
        if (first) {
            logger_.info("Watching the sound outputs");
            try {
                subscription_ = std::make_unique<PulseOutputsSubscription>(
                    options_.server,
                    [this](SoundOutputs::List outputs) { received(std::move(outputs)); }, logger_);
            } catch (const std::runtime_error& error) {
                logger_.error("{}", error.what());
                deliver(listener, std::nullopt);
            }
        }
        return std::make_unique<Watch>(shared_from_this(), std::move(listener));
    }

  private:
    // One watch's handler; `alive` is read and cleared on the main thread only.
    struct Listener {
        explicit Listener(Handler watchHandler) : handler(std::move(watchHandler)) {}
        Handler handler;
        bool alive = true;
    };

    class Watch final : public SoundOutputsWatch {
      public:
        Watch(std::shared_ptr<Hub> hub, std::shared_ptr<Listener> listener)
            : hub_(std::move(hub)), listener_(std::move(listener)) {}
        ~Watch() override { hub_->remove(listener_); }
        void refresh() override { hub_->refresh(); }
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;

      private:
        std::shared_ptr<Hub> hub_;
        std::shared_ptr<Listener> listener_;
    };

    // Main thread only, as the subscription's life is.
    void refresh() {
        if (subscription_) {
            subscription_->refresh();
        }
    }

    void remove(const std::shared_ptr<Listener>& listener) {
        listener->alive = false;
        {
            std::lock_guard lock(mutex_);
            std::erase(listeners_, listener);
            if (!listeners_.empty()) {
                return;
            }
        }
        // Not under `mutex_`: the loop thread may be waiting for it to hand over a list.
        subscription_.reset();
        std::lock_guard lock(mutex_);
        known_ = false;
        last_.reset();
        logger_.info("Stopped watching the sound outputs");
    }

    // On the loop thread: servers report many changes that leave the list as it was (volume,
    // a sink falling idle), so only a different list is handed on.
    void received(SoundOutputs::List outputs) {
        std::lock_guard lock(mutex_);
        if (known_ && last_ == outputs) {
            return;
        }
        known_ = true;
        last_ = std::move(outputs);
        for (const auto& listener : listeners_) {
            deliver(listener, last_);
        }
    }

    void deliver(const std::shared_ptr<Listener>& listener, SoundOutputs::List outputs) {
        mainQueue_->post([listener, outputs = std::move(outputs)] {
            if (listener->alive) {
                listener->handler(outputs);
            }
        });
    }

    std::shared_ptr<MainQueue> mainQueue_;
    Options options_;
    Logger logger_;
    std::unique_ptr<PulseOutputsSubscription> subscription_;  // main thread only
    std::mutex mutex_;
    std::vector<std::shared_ptr<Listener>> listeners_;
    // The last list handed on, once one was.
    bool known_ = false;
    SoundOutputs::List last_;
};

PulseSoundOutputs::PulseSoundOutputs(std::shared_ptr<MainQueue> mainQueue, Options options,
                                     std::shared_ptr<LogSink> logSink)
    : server_(options.server),
      hub_(std::make_shared<Hub>(std::move(mainQueue), std::move(options), std::move(logSink))) {}

PulseSoundOutputs::~PulseSoundOutputs() = default;

std::unique_ptr<SoundOutputsWatch> PulseSoundOutputs::watch(Handler handler) {
    return hub_->add(std::move(handler));
}

SoundOutputs::List PulseSoundOutputs::read(std::chrono::milliseconds timeout) {
    return readOnce(server_, timeout);
}

SoundOutputs::List PulseSoundOutputs::readOnce(const std::optional<std::string>& server,
                                               std::chrono::milliseconds timeout) {
    try {
        PulseConnection connection(server, timeout);
        auto [sinks, selected] = connection.sinksAndDefault();
        std::vector<SoundOutput> outputs;
        outputs.reserve(sinks.size());
        for (auto& sink : sinks) {
            const bool isDefault = sink.name == selected;
            outputs.push_back(SoundOutput{std::move(sink.description), std::move(sink.name),
                                          isDefault, std::move(sink.bluetoothAddress)});
        }
        return outputs;
    } catch (const PulseError&) {
        return std::nullopt;
    }
}

}  // namespace tonvera
