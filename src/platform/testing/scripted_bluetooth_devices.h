#pragma once

#include <algorithm>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/bluetooth_devices.h"
#include "platform/clock.h"
#include "platform/main_queue.h"

namespace tonvera::testing {

// Bluetooth devices a test sets by hand. A look-up answers from the devices set, or with the
// unavailability set for every look-up. Each connect takes the next scripted step (once none is
// left: connected at once) and is recorded with its bound; a step that ends connected marks the
// device connected. A disconnect the test triggers reaches every live watch through the main
// queue, as the system's do.
class ScriptedBluetoothDevices final : public BluetoothDevices {
  public:
    // One connect's answer, and how long the device takes to give it. A step that takes longer
    // than the caller's bound ends at the bound as timedOut; a stop cuts the wait short as
    // cancelled. The wait goes through the clock, so it takes virtual time only.
    struct Step {
        BluetoothConnectResult result{BluetoothConnectResult::Outcome::connected, {}};
        Clock::Duration takes{};
    };

    struct ConnectCall {
        std::string address;
        std::chrono::milliseconds timeout;

        bool operator==(const ConnectCall&) const = default;
    };

    ScriptedBluetoothDevices(std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<Clock> clock)
        : mainQueue_(std::move(mainQueue)), clock_(std::move(clock)) {}

    // What look-ups find from now on; a device whose address is not here is unknown.
    void setDevices(std::vector<BluetoothDevice> devices) {
        std::lock_guard lock(mutex_);
        devices_ = std::move(devices);
        unavailable_.reset();
    }

    // Every look-up answers `status` (no service, no adapter, …) until devices are set again.
    void setUnavailable(BluetoothLookup::Status status, std::string detail = "scripted") {
        std::lock_guard lock(mutex_);
        unavailable_ = BluetoothLookup{status, {}, std::move(detail)};
    }

    // Appends steps for the next connects, in order.
    void scriptConnects(std::vector<Step> steps) {
        std::lock_guard lock(mutex_);
        steps_.insert(steps_.end(), steps.begin(), steps.end());
    }

    // The person (or the device) ends a connection: the device is no longer connected, and
    // every live watch hears of it.
    void disconnect(const std::string& address) {
        std::vector<std::weak_ptr<DisconnectHandler>> watches;
        {
            std::lock_guard lock(mutex_);
            if (auto* device = find(address)) {
                device->connected = false;
            }
            std::erase_if(watches_, [](const auto& watch) { return watch.expired(); });
            watches = watches_;
        }
        for (auto& watch : watches) {
            mainQueue_->post([watch = std::move(watch), address] {
                if (const auto alive = watch.lock()) {
                    (*alive)(address);
                }
            });
        }
    }

    std::vector<BluetoothDevice> devices() const {
        std::lock_guard lock(mutex_);
        return devices_;
    }
    std::vector<std::string> lookUps() const {
        std::lock_guard lock(mutex_);
        return lookUps_;
    }
    std::vector<ConnectCall> connectCalls() const {
        std::lock_guard lock(mutex_);
        return connectCalls_;
    }
    std::size_t watchCount() const {
        std::lock_guard lock(mutex_);
        return static_cast<std::size_t>(std::count_if(
            watches_.begin(), watches_.end(), [](const auto& watch) { return !watch.expired(); }));
    }

    BluetoothLookup lookUp(const std::string& address,
                           std::chrono::milliseconds /*timeout*/) override {
        std::lock_guard lock(mutex_);
        lookUps_.push_back(address);
        if (unavailable_) {
            return *unavailable_;
        }
        if (const auto* device = find(address)) {
            return {BluetoothLookup::Status::found, *device, {}};
        }
        return {BluetoothLookup::Status::unknownDevice, {}, "scripted"};
    }

    BluetoothConnectResult connect(const std::string& address, std::chrono::milliseconds timeout,
                                   const std::stop_token& stop) override {
        Step step;
        {
            std::lock_guard lock(mutex_);
            connectCalls_.push_back({address, timeout});
            if (!steps_.empty()) {
                step = std::move(steps_.front());
                steps_.pop_front();
            }
        }
        if (step.takes > Clock::Duration::zero() &&
            !clock_->sleepFor(std::min<Clock::Duration>(step.takes, timeout), stop)) {
            return {BluetoothConnectResult::Outcome::cancelled, {}};
        }
        if (step.takes > timeout) {
            return {BluetoothConnectResult::Outcome::timedOut, {}};
        }
        if (step.result.outcome == BluetoothConnectResult::Outcome::connected) {
            std::lock_guard lock(mutex_);
            if (auto* device = find(address)) {
                device->connected = true;
            }
        }
        return step.result;
    }

    std::unique_ptr<BluetoothDevicesWatch> watchDisconnects(DisconnectHandler handler) override {
        auto watch =
            std::make_unique<Watch>(std::make_shared<DisconnectHandler>(std::move(handler)));
        std::lock_guard lock(mutex_);
        watches_.push_back(watch->handler);
        return watch;
    }

  private:
    struct Watch final : BluetoothDevicesWatch {
        explicit Watch(std::shared_ptr<DisconnectHandler> watchHandler)
            : handler(std::move(watchHandler)) {}
        std::shared_ptr<DisconnectHandler> handler;
    };

    BluetoothDevice* find(const std::string& address) {
        const auto device = std::find_if(devices_.begin(), devices_.end(), [&](const auto& known) {
            return known.address == address;
        });
        return device == devices_.end() ? nullptr : &*device;
    }

    std::shared_ptr<MainQueue> mainQueue_;
    std::shared_ptr<Clock> clock_;
    mutable std::mutex mutex_;
    std::vector<BluetoothDevice> devices_;
    std::optional<BluetoothLookup> unavailable_;
    std::deque<Step> steps_;
    std::vector<std::string> lookUps_;
    std::vector<ConnectCall> connectCalls_;
    std::vector<std::weak_ptr<DisconnectHandler>> watches_;
};

}  // namespace tonvera::testing
