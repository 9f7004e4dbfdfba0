#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/user_defaults.h"
#include "settings/observable_property.h"

namespace tonvera {

// Every user preference of the application, persisted in the user defaults under fixed keys.
// Each assignment announces the change, stores the value in memory and writes it through at
// once (also when it is unchanged), so nothing needs saving at exit.
class AppSettings {
  public:
    static constexpr const char* kDeviceNameKey = "preferredAudioOutput";
    static constexpr const char* kConnectOnWakeKey = "connectAutomaticallyOnWake";
    static constexpr const char* kConnectAtLoginKey = "connectAutomaticallyAtLogin";
    static constexpr const char* kRetryAttemptsKey = "retryAttempts";
    static constexpr const char* kRetryIntervalKey = "retryInterval";
    static constexpr const char* kHasCompletedOnboardingKey = "hasCompletedOnboarding";
    static constexpr const char* kLaunchAtLoginKey = "launchAtLogin";
    static constexpr const char* kLaunchAtLoginAskedKey = "launchAtLoginAsked";
    static constexpr const char* kConnectWhenSpeakerAppearsKey = "connectWhenSpeakerAppears";
    static constexpr const char* kNotifyWhenSpeakerStaysAwayKey = "notifyWhenSpeakerStaysAway";
    static constexpr const char* kFallbackOutputsKey = "fallbackAudioOutputs";
    static constexpr const char* kKeepSoundFromNewOutputsKey = "keepSoundFromNewOutputs";
    // Outputs ranked above the preferred one: headphones at the desk, say.
    static constexpr const char* kPriorityOutputsKey = "priorityAudioOutputs";
    // Visible name → Bluetooth address of every ranked output seen as a Bluetooth device.
    static constexpr const char* kBluetoothOutputsKey = "bluetoothOutputAddresses";
    static constexpr const char* kReconnectBluetoothKey = "reconnectBluetoothOutputs";
    // How long the speaker is watched for after a wake or login; only in the settings file.
    static constexpr const char* kFollowSecondsKey = "followSpeakerSeconds";
    static constexpr double kDefaultFollowSeconds = 180.0;

    static constexpr const char* kDefaultDeviceName = "Arbeitszimmer";
    static constexpr std::int64_t kDefaultRetryAttempts = 4;
    static constexpr double kDefaultRetryInterval = 1.0;

    // The outputs ranked above and below the preferred one are at most this many in all.
    static constexpr std::size_t kMaxRankedOutputs = 16;

    // More attempts than this make no sense (the doubling pauses outgrow any wait long before)
    // and an unbounded count would let one stored number exhaust memory.
    static constexpr std::int64_t kMaxRetryAttempts = 100;

    // Registers the defaults in `defaults` and reads every property once.
    explicit AppSettings(std::shared_ptr<UserDefaults> defaults);

    std::string deviceName() const { return deviceName_.get(); }
    bool connectOnWake() const { return connectOnWake_.get(); }
    bool connectAtLogin() const { return connectAtLogin_.get(); }
    std::int64_t retryAttempts() const { return retryAttempts_.get(); }
    double retryInterval() const { return retryInterval_.get(); }
    bool hasCompletedOnboarding() const { return hasCompletedOnboarding_.get(); }
    bool launchAtLogin() const { return launchAtLogin_.get(); }
    bool launchAtLoginAsked() const { return launchAtLoginAsked_.get(); }
    // Switch to the speaker whenever it appears, not only after a wake or login.
    bool connectWhenSpeakerAppears() const { return connectWhenSpeakerAppears_.get(); }
    // Show a desktop notification when an automatic reconnect ends without the speaker.
    bool notifyWhenSpeakerStaysAway() const { return notifyWhenSpeakerStaysAway_.get(); }
    // The outputs to use, in this order, while the preferred one is away: the names as stored
    // (what is not a name is left out). Which of them count is the ranking's business.
    std::vector<std::string> fallbackOutputs() const { return fallbackOutputs_.get(); }
    // Move the sound back when the server hands it to an output that just appeared and is
    // on neither the preferred place nor the list.
    bool keepSoundFromNewOutputs() const { return keepSoundFromNewOutputs_.get(); }
    // The outputs ranked above the preferred one, in order, as stored (what is not a name is
    // left out): while one of them is there, the sound belongs on it.
    std::vector<std::string> priorityOutputs() const { return priorityOutputs_.get(); }
    // The Bluetooth address of each ranked output (by visible name) once seen as a Bluetooth
    // device: a device that is not connected has no output to read it from.
    std::map<std::string, std::string, std::less<>> bluetoothOutputs() const {
        return bluetoothOutputs_.get();
    }
    // Ask Bluetooth to connect the best-ranked Bluetooth output after a wake, at login and on
    // Connect now.
    bool reconnectBluetoothOutputs() const { return reconnectBluetoothOutputs_.get(); }
    // Between a second and an hour; anything else stored reads as the default.
    std::chrono::milliseconds followWindow() const { return followWindow_; }

    void setDeviceName(const std::string& value);
    void setConnectOnWake(bool value);
    void setConnectAtLogin(bool value);
    void setRetryAttempts(std::int64_t value);
    void setRetryInterval(double value);
    void setHasCompletedOnboarding(bool value);
    void setLaunchAtLogin(bool value);
    void setLaunchAtLoginAsked(bool value);
    void setConnectWhenSpeakerAppears(bool value);
    void setNotifyWhenSpeakerStaysAway(bool value);
    void setFallbackOutputs(const std::vector<std::string>& value);
    void setKeepSoundFromNewOutputs(bool value);
    void setPriorityOutputs(const std::vector<std::string>& value);
    void setBluetoothOutputs(const std::map<std::string, std::string, std::less<>>& value);
    void setReconnectBluetoothOutputs(bool value);

    // The pause before each attempt of a reconnect run: 0, then retryInterval doubling after
    // each entry, with one entry per attempt. A stored count below 1 counts as 1.
    std::vector<double> retryDelays() const;

    // Fired before any property changes.
    Subscription observeWillChange(std::function<void()> observer);

    Subscription observeDeviceName(std::function<void(const std::string&)> observer,
                                   Observation start = Observation::includeCurrent);
    Subscription observeConnectOnWake(std::function<void(const bool&)> observer,
                                      Observation start = Observation::includeCurrent);
    Subscription observeConnectAtLogin(std::function<void(const bool&)> observer,
                                       Observation start = Observation::includeCurrent);
    Subscription observeRetryAttempts(std::function<void(const std::int64_t&)> observer,
                                      Observation start = Observation::includeCurrent);
    Subscription observeRetryInterval(std::function<void(const double&)> observer,
                                      Observation start = Observation::includeCurrent);
    Subscription observeHasCompletedOnboarding(std::function<void(const bool&)> observer,
                                               Observation start = Observation::includeCurrent);
    Subscription observeLaunchAtLogin(std::function<void(const bool&)> observer,
                                      Observation start = Observation::includeCurrent);
    Subscription observeLaunchAtLoginAsked(std::function<void(const bool&)> observer,
                                           Observation start = Observation::includeCurrent);
    Subscription observeConnectWhenSpeakerAppears(std::function<void(const bool&)> observer,
                                                  Observation start = Observation::includeCurrent);
    Subscription observeNotifyWhenSpeakerStaysAway(std::function<void(const bool&)> observer,
                                                   Observation start = Observation::includeCurrent);
    Subscription observeFallbackOutputs(
        std::function<void(const std::vector<std::string>&)> observer,
        Observation start = Observation::includeCurrent);
    Subscription observeKeepSoundFromNewOutputs(std::function<void(const bool&)> observer,
                                                Observation start = Observation::includeCurrent);
    Subscription observePriorityOutputs(
        std::function<void(const std::vector<std::string>&)> observer,
        Observation start = Observation::includeCurrent);
    Subscription observeBluetoothOutputs(
        std::function<void(const std::map<std::string, std::string, std::less<>>&)> observer,
        Observation start = Observation::includeCurrent);
    Subscription observeReconnectBluetoothOutputs(std::function<void(const bool&)> observer,
                                                  Observation start = Observation::includeCurrent);

  private:
    template <typename T>
    void assign(ObservableProperty<T>& property, const T& value, const DefaultsValue& stored);

    std::shared_ptr<UserDefaults> defaults_;
    ObserverList<> willChange_;
    ObservableProperty<std::string> deviceName_;
    ObservableProperty<bool> connectOnWake_;
    ObservableProperty<bool> connectAtLogin_;
    ObservableProperty<std::int64_t> retryAttempts_;
    ObservableProperty<double> retryInterval_;
    ObservableProperty<bool> hasCompletedOnboarding_;
    ObservableProperty<bool> launchAtLogin_;
    ObservableProperty<bool> launchAtLoginAsked_;
    ObservableProperty<bool> connectWhenSpeakerAppears_;
    ObservableProperty<bool> notifyWhenSpeakerStaysAway_;
    ObservableProperty<std::vector<std::string>> fallbackOutputs_;
    ObservableProperty<bool> keepSoundFromNewOutputs_;
    ObservableProperty<std::vector<std::string>> priorityOutputs_;
    ObservableProperty<std::map<std::string, std::string, std::less<>>> bluetoothOutputs_;
    ObservableProperty<bool> reconnectBluetoothOutputs_;
    std::chrono::milliseconds followWindow_;
};

}  // namespace tonvera
