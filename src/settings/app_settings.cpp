#include "settings/app_settings.h"

#include <algorithm>
#include <utility>

#include "settings/defaults_reading.h"

namespace tonvera {
namespace {

namespace read = defaults_reading;

std::shared_ptr<UserDefaults> registered(std::shared_ptr<UserDefaults> defaults) {
    // hasCompletedOnboarding is deliberately not registered: it reads false until set.
    defaults->registerDefaults({
        {AppSettings::kDeviceNameKey, std::string(AppSettings::kDefaultDeviceName)},
        {AppSettings::kConnectOnWakeKey, true},
        {AppSettings::kConnectAtLoginKey, true},
        {AppSettings::kRetryAttemptsKey, AppSettings::kDefaultRetryAttempts},
        {AppSettings::kRetryIntervalKey, AppSettings::kDefaultRetryInterval},
        {AppSettings::kLaunchAtLoginKey, true},
        {AppSettings::kLaunchAtLoginAskedKey, false},
        {AppSettings::kConnectWhenSpeakerAppearsKey, false},
        {AppSettings::kNotifyWhenSpeakerStaysAwayKey, true},
        {AppSettings::kFallbackOutputsKey, DefaultsStringList{}},
        {AppSettings::kKeepSoundFromNewOutputsKey, false},
        {AppSettings::kPriorityOutputsKey, DefaultsStringList{}},
        {AppSettings::kBluetoothOutputsKey, DefaultsStringMap{}},
        {AppSettings::kReconnectBluetoothKey, true},
    });
    return defaults;
}

std::chrono::milliseconds readFollowWindow(const UserDefaults& defaults) {
    double seconds = read::numberObject(defaults.object(AppSettings::kFollowSecondsKey))
                         .value_or(AppSettings::kDefaultFollowSeconds);
    // Not-a-number fails both tests and falls back too.
    if (!(seconds >= 1.0 && seconds <= 3600.0)) {
        seconds = AppSettings::kDefaultFollowSeconds;
    }
    return std::chrono::milliseconds(static_cast<std::int64_t>(seconds * 1000.0));
}

std::int64_t readRetryAttempts(const UserDefaults& defaults) {
    const std::int64_t attempts =
        read::integerValue(defaults.object(AppSettings::kRetryAttemptsKey));
    return attempts == 0 ? AppSettings::kDefaultRetryAttempts : attempts;
}

}  // namespace

AppSettings::AppSettings(std::shared_ptr<UserDefaults> defaults)
    : defaults_(registered(std::move(defaults))),
      deviceName_(
          kDeviceNameKey,
          read::stringValue(defaults_->object(kDeviceNameKey)).value_or(kDefaultDeviceName)),
      connectOnWake_(kConnectOnWakeKey,
                     read::booleanObject(defaults_->object(kConnectOnWakeKey)).value_or(true)),
      connectAtLogin_(kConnectAtLoginKey,
                      read::booleanObject(defaults_->object(kConnectAtLoginKey)).value_or(true)),
      retryAttempts_(kRetryAttemptsKey, readRetryAttempts(*defaults_)),
      retryInterval_(
          kRetryIntervalKey,
          read::numberObject(defaults_->object(kRetryIntervalKey)).value_or(kDefaultRetryInterval)),
      hasCompletedOnboarding_(kHasCompletedOnboardingKey,
                              read::boolValue(defaults_->object(kHasCompletedOnboardingKey))),
      launchAtLogin_(kLaunchAtLoginKey,
                     read::booleanObject(defaults_->object(kLaunchAtLoginKey)).value_or(true)),
      launchAtLoginAsked_(kLaunchAtLoginAskedKey,
                          read::boolValue(defaults_->object(kLaunchAtLoginAskedKey))),
      connectWhenSpeakerAppears_(
          kConnectWhenSpeakerAppearsKey,
          read::booleanObject(defaults_->object(kConnectWhenSpeakerAppearsKey)).value_or(false)),
      notifyWhenSpeakerStaysAway_(
          kNotifyWhenSpeakerStaysAwayKey,
          read::booleanObject(defaults_->object(kNotifyWhenSpeakerStaysAwayKey)).value_or(true)),
      fallbackOutputs_(kFallbackOutputsKey,
                       read::stringList(defaults_->object(kFallbackOutputsKey))),
      keepSoundFromNewOutputs_(
          kKeepSoundFromNewOutputsKey,
          read::booleanObject(defaults_->object(kKeepSoundFromNewOutputsKey)).value_or(false)),
      priorityOutputs_(kPriorityOutputsKey,
                       read::stringList(defaults_->object(kPriorityOutputsKey))),
      bluetoothOutputs_(kBluetoothOutputsKey,
                        read::stringMap(defaults_->object(kBluetoothOutputsKey))),
      reconnectBluetoothOutputs_(
          kReconnectBluetoothKey,
          read::booleanObject(defaults_->object(kReconnectBluetoothKey)).value_or(true)),
      followWindow_(readFollowWindow(*defaults_)) {}

template <typename T>
void AppSettings::assign(ObservableProperty<T>& property, const T& value,
                         const DefaultsValue& stored) {
    willChange_.notify();
    property.announceAndStore(value);
    defaults_->set(property.key(), stored);
}

void AppSettings::setDeviceName(const std::string& value) {
    assign(deviceName_, value, DefaultsValue(value));
}
void AppSettings::setConnectOnWake(bool value) {
    assign(connectOnWake_, value, DefaultsValue(value));
}
void AppSettings::setConnectAtLogin(bool value) {
    assign(connectAtLogin_, value, DefaultsValue(value));
}
void AppSettings::setRetryAttempts(std::int64_t value) {
    assign(retryAttempts_, value, DefaultsValue(value));
}
void AppSettings::setRetryInterval(double value) {
    assign(retryInterval_, value, DefaultsValue(value));
}
void AppSettings::setHasCompletedOnboarding(bool value) {
    assign(hasCompletedOnboarding_, value, DefaultsValue(value));
}
void AppSettings::setLaunchAtLogin(bool value) {
    assign(launchAtLogin_, value, DefaultsValue(value));
}
void AppSettings::setLaunchAtLoginAsked(bool value) {
    assign(launchAtLoginAsked_, value, DefaultsValue(value));
}
void AppSettings::setConnectWhenSpeakerAppears(bool value) {
    assign(connectWhenSpeakerAppears_, value, DefaultsValue(value));
}
void AppSettings::setNotifyWhenSpeakerStaysAway(bool value) {
    assign(notifyWhenSpeakerStaysAway_, value, DefaultsValue(value));
}
void AppSettings::setFallbackOutputs(const std::vector<std::string>& value) {
    assign(fallbackOutputs_, value, DefaultsValue(value));
}
void AppSettings::setKeepSoundFromNewOutputs(bool value) {
    assign(keepSoundFromNewOutputs_, value, DefaultsValue(value));
}

void AppSettings::setPriorityOutputs(const std::vector<std::string>& value) {
    assign(priorityOutputs_, value, DefaultsValue(value));
}
void AppSettings::setBluetoothOutputs(
    const std::map<std::string, std::string, std::less<>>& value) {
    assign(bluetoothOutputs_, value, DefaultsValue(value));
}
void AppSettings::setReconnectBluetoothOutputs(bool value) {
    assign(reconnectBluetoothOutputs_, value, DefaultsValue(value));
}

std::vector<double> AppSettings::retryDelays() const {
    const std::int64_t attempts = std::clamp<std::int64_t>(retryAttempts(), 1, kMaxRetryAttempts);
    std::vector<double> delays;
    delays.reserve(static_cast<std::size_t>(attempts));
    delays.push_back(0.0);
    double delay = retryInterval();
    for (std::int64_t entry = 1; entry < attempts; ++entry) {
        delays.push_back(delay);
        delay *= 2;
    }
    return delays;
}

Subscription AppSettings::observeWillChange(std::function<void()> observer) {
    return willChange_.add(std::move(observer));
}

Subscription AppSettings::observeDeviceName(std::function<void(const std::string&)> observer,
                                            Observation start) {
    return deviceName_.observe(std::move(observer), start);
}
Subscription AppSettings::observeConnectOnWake(std::function<void(const bool&)> observer,
                                               Observation start) {
    return connectOnWake_.observe(std::move(observer), start);
}
Subscription AppSettings::observeConnectAtLogin(std::function<void(const bool&)> observer,
                                                Observation start) {
    return connectAtLogin_.observe(std::move(observer), start);
}
Subscription AppSettings::observeRetryAttempts(std::function<void(const std::int64_t&)> observer,
                                               Observation start) {
    return retryAttempts_.observe(std::move(observer), start);
}
Subscription AppSettings::observeRetryInterval(std::function<void(const double&)> observer,
                                               Observation start) {
    return retryInterval_.observe(std::move(observer), start);
}
Subscription AppSettings::observeHasCompletedOnboarding(std::function<void(const bool&)> observer,
                                                        Observation start) {
    return hasCompletedOnboarding_.observe(std::move(observer), start);
}
Subscription AppSettings::observeLaunchAtLogin(std::function<void(const bool&)> observer,
                                               Observation start) {
    return launchAtLogin_.observe(std::move(observer), start);
}
Subscription AppSettings::observeLaunchAtLoginAsked(std::function<void(const bool&)> observer,
                                                    Observation start) {
    return launchAtLoginAsked_.observe(std::move(observer), start);
}
Subscription AppSettings::observeConnectWhenSpeakerAppears(
    std::function<void(const bool&)> observer, Observation start) {
    return connectWhenSpeakerAppears_.observe(std::move(observer), start);
}
Subscription AppSettings::observeNotifyWhenSpeakerStaysAway(
    std::function<void(const bool&)> observer, Observation start) {
    return notifyWhenSpeakerStaysAway_.observe(std::move(observer), start);
}

Subscription AppSettings::observeFallbackOutputs(
    std::function<void(const std::vector<std::string>&)> observer, Observation start) {
    return fallbackOutputs_.observe(std::move(observer), start);
}
Subscription AppSettings::observeKeepSoundFromNewOutputs(std::function<void(const bool&)> observer,
                                                         Observation start) {
    return keepSoundFromNewOutputs_.observe(std::move(observer), start);
}

Subscription AppSettings::observePriorityOutputs(
    std::function<void(const std::vector<std::string>&)> observer, Observation start) {
    return priorityOutputs_.observe(std::move(observer), start);
}
Subscription AppSettings::observeBluetoothOutputs(
    std::function<void(const std::map<std::string, std::string, std::less<>>&)> observer,
    Observation start) {
    return bluetoothOutputs_.observe(std::move(observer), start);
}
Subscription AppSettings::observeReconnectBluetoothOutputs(
    std::function<void(const bool&)> observer, Observation start) {
    return reconnectBluetoothOutputs_.observe(std::move(observer), start);
}

}  // namespace tonvera
