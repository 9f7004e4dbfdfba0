#include "reconnect/bluetooth_recall.h"

#include <algorithm>
#include <utility>

#include "selection/unicode_text.h"

namespace tonvera {
namespace {

// The remembered address of `name`, compared as people see names.
const std::string* addressOf(const std::map<std::string, std::string, std::less<>>& remembered,
                             std::string_view name) {
    for (const auto& [known, address] : remembered) {
        if (unicode_text::canonicallyEqual(known, name)) {
            return &address;
        }
    }
    return nullptr;
}

std::string unavailableText(const BluetoothLookup& lookup) {
    using Status = BluetoothLookup::Status;
    const char* what = lookup.status == Status::noSystemBus ? "no system bus"
                       : lookup.status == Status::noService ? "no Bluetooth service"
                                                            : "no Bluetooth adapter";
    return lookup.detail.empty() ? std::string(what)
                                 : std::string(what) + " (" + lookup.detail + ")";
}

}  // namespace

std::shared_ptr<BluetoothRecall> BluetoothRecall::create(std::shared_ptr<BluetoothDevices> devices,
                                                         std::shared_ptr<AppSettings> settings,
                                                         std::shared_ptr<SoundIntent> intent,
                                                         std::shared_ptr<TaskRunner> tasks,
                                                         std::shared_ptr<MainQueue> mainQueue,
                                                         std::shared_ptr<LogSink> logSink) {
    return std::make_shared<BluetoothRecall>(Private{}, std::move(devices), std::move(settings),
                                             std::move(intent), std::move(tasks),
                                             std::move(mainQueue), std::move(logSink));
}

BluetoothRecall::BluetoothRecall(Private, std::shared_ptr<BluetoothDevices> devices,
                                 std::shared_ptr<AppSettings> settings,
                                 std::shared_ptr<SoundIntent> intent,
                                 std::shared_ptr<TaskRunner> tasks,
                                 std::shared_ptr<MainQueue> mainQueue,
                                 std::shared_ptr<LogSink> logSink)
    : logger_(makeAirPlayLogger(std::move(logSink))),
      devices_(std::move(devices)),
      settings_(std::move(settings)),
      intent_(std::move(intent)),
      tasks_(std::move(tasks)),
      mainQueue_(std::move(mainQueue)) {}

void BluetoothRecall::start(OutputRanking ranking, std::chrono::milliseconds delay, int tries,
                            PresentOutputs present) {
    stop();
    if (!devices_ || !settings_->reconnectBluetoothOutputs() ||
        settings_->bluetoothOutputs().empty()) {
        return;
    }
    ranking_ = std::move(ranking);
    present_ = std::move(present);
    triesLeft_ = tries;
    // Not-a-number fails the comparisons and gives the shortest pause.
    const double seconds = kFirstPauseInIntervals * settings_->retryInterval();
    nextPause_ = std::chrono::milliseconds(
        static_cast<std::int64_t>(1000.0 * (seconds >= 1.0 ? std::min(seconds, 60.0) : 1.0)));
    scheduleTry(delay);
}

void BluetoothRecall::stop() {
    ++recall_;
    triesLeft_ = 0;
    disconnects_.reset();
}

void BluetoothRecall::scheduleTry(std::chrono::milliseconds delay) {
    mainQueue_->postAfter(delay, [weak = weak_from_this(), recall = recall_] {
        if (const auto self = weak.lock()) {
            self->tryNow(recall);
        }
    });
}

std::optional<BluetoothRecall::Candidate> BluetoothRecall::candidate() const {
    const auto remembered = settings_->bluetoothOutputs();
    const auto present = present_ ? present_() : std::nullopt;
    for (const auto& name : ranking_.inOrder()) {
        // A ranked output that is there is where the sound belongs: nothing below it is
        // pulled over.
        if (present && std::ranges::any_of(*present, [&name](const SoundOutput& output) {
                return unicode_text::canonicallyEqual(output.name, name);
            })) {
            return std::nullopt;
        }
        if (const std::string* address = addressOf(remembered, name)) {
            return Candidate{name, *address};
        }
    }
    return std::nullopt;
}

void BluetoothRecall::tryNow(std::uint64_t recall) {
    if (recall != recall_ || triesLeft_ <= 0) {
        return;
    }
    --triesLeft_;
    const auto chosen = candidate();
    if (!chosen) {
        triesLeft_ = 0;
        return;
    }
    // From the first try on, a device the person disconnects is theirs to leave alone.
    if (!disconnects_) {
        disconnects_ =
            devices_->watchDisconnects([weak = weak_from_this()](const std::string& address) {
                if (const auto self = weak.lock()) {
                    self->disconnected(address);
                }
            });
    }
    submitWithCompletion(
        *tasks_, mainQueue_,
        [self = shared_from_this(), chosen = *chosen](const std::stop_token& stop) {
            return self->attempt(chosen, stop);
        },
        [weak = weak_from_this(), recall, chosen = *chosen](const TaskOutcome<TryResult>& outcome) {
            if (const auto self = weak.lock(); self && outcome.succeeded()) {
                self->tried(recall, chosen, outcome.value());
            }
        });
}

BluetoothRecall::TryResult BluetoothRecall::attempt(const Candidate& candidate,
                                                    const std::stop_token& stop) const {
    using Status = BluetoothLookup::Status;
    const BluetoothLookup lookup = devices_->lookUp(candidate.address, kLookUpBound);
    const std::string& name = candidate.name;
    switch (lookup.status) {
        case Status::noSystemBus:
        case Status::noService:
        case Status::noAdapter:
            return TryResult{.unavailable = unavailableText(lookup)};
        case Status::unknownDevice:
            logger_.info("[AirPlay] {} ({}) is not known to Bluetooth — not connected", name,
                         candidate.address);
            return {};
        case Status::found:
            break;
    }
    const BluetoothDevice& device = lookup.device;
    if (device.connected) {
        return TryResult{.outcome = Outcome::connected};
    }
    if (!device.paired) {
        logger_.info("[AirPlay] {} is not paired — not connected", name);
        return {};
    }
    if (!device.adapterPowered) {
        logger_.info("[AirPlay] {} is paired, but Bluetooth is switched off — not connected", name);
        return {};
    }
    if (intent_->disconnectedByPerson(candidate.address)) {
        logger_.info("[AirPlay] {} was disconnected by hand — left alone until the next wake",
                     name);
        return {};
    }
    logger_.info("[AirPlay] {} is paired but not connected — asking Bluetooth to connect it", name);
    const BluetoothConnectResult result = devices_->connect(candidate.address, kConnectBound, stop);
    switch (result.outcome) {
        case BluetoothConnectResult::Outcome::connected:
            logger_.info("[AirPlay] {} connected", name);
            return TryResult{.outcome = Outcome::connected};
        case BluetoothConnectResult::Outcome::cancelled:
            return {};
        case BluetoothConnectResult::Outcome::timedOut:
            logger_.error("[AirPlay] {} could not connect: no answer within {} s", name,
                          kConnectBound.count());
            break;
        case BluetoothConnectResult::Outcome::failed:
            logger_.error("[AirPlay] {} could not connect: {}", name, result.reason);
            break;
    }
    return TryResult{.tryAgain = true, .outcome = Outcome::didNotConnect};
}

void BluetoothRecall::tried(std::uint64_t recall, const Candidate& candidate,
                            const TryResult& result) {
    if (result.unavailable.empty()) {
        unavailable_.clear();
    } else if (result.unavailable != unavailable_) {
        logger_.info("[AirPlay] Bluetooth outputs cannot be reconnected: {}", result.unavailable);
        unavailable_ = result.unavailable;
    }
    if (result.outcome) {
        outcomes_.insert_or_assign(candidate.name, *result.outcome);
    }
    if (recall != recall_) {
        return;
    }
    if (!result.tryAgain || triesLeft_ <= 0) {
        triesLeft_ = 0;
        disconnects_.reset();
        return;
    }
    scheduleTry(std::exchange(nextPause_, nextPause_ * 2));
}

void BluetoothRecall::disconnected(const std::string& address) {
    for (const auto& [name, known] : settings_->bluetoothOutputs()) {
        if (known == address && !intent_->disconnectedByPerson(address)) {
            intent_->noteDisconnectByPerson(address);
            logger_.info("[AirPlay] {} was disconnected — not connected again before the next wake",
                         name);
        }
    }
}

void BluetoothRecall::learn(const std::vector<SoundOutput>& outputs, const OutputRanking& ranking) {
    auto remembered = settings_->bluetoothOutputs();
    bool changed = false;
    for (const auto& output : outputs) {
        if (output.bluetoothAddress.empty() || !ranking.rankOf(output.name)) {
            continue;
        }
        const auto known = remembered.find(output.name);
        if (known == remembered.end() || known->second != output.bluetoothAddress) {
            remembered.insert_or_assign(output.name, output.bluetoothAddress);
            changed = true;
        }
    }
    if (changed) {
        settings_->setBluetoothOutputs(remembered);
    }
}

BluetoothRecall::Outcome BluetoothRecall::outcomeFor(std::string_view name) const {
    for (const auto& [known, outcome] : outcomes_) {
        if (unicode_text::canonicallyEqual(known, name)) {
            return outcome;
        }
    }
    return Outcome::none;
}

}  // namespace tonvera
