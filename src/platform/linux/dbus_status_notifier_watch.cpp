#include "platform/linux/dbus_status_notifier_watch.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <utility>

#include <poll.h>
#include <systemd/sd-bus.h>

#include "platform/linux/sd_bus_handles.h"

namespace tonvera {

struct DBusStatusNotifierWatch::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool answered = false;

    void markAnswered() {
        {
            std::lock_guard lock(mutex);
            answered = true;
        }
        changed.notify_all();
    }
};

namespace {

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
// How long one question may go unanswered; also how long the bus may stay silent at first.
constexpr std::chrono::seconds kAnswerLimit{3};

using sd_bus_handles::nowMicros;

}  // namespace

// Everything bus-related, on the watch's thread: sd-bus objects belong to one thread.
class DBusStatusNotifierWatch::Loop {
  public:
    Loop(std::shared_ptr<MainQueue> mainQueue, std::function<void(StatusNotifierHost)> onChange,
         std::shared_ptr<Shared> shared)
        : mainQueue_(std::move(mainQueue)),
          onChange_(std::move(onChange)),
          shared_(std::move(shared)) {}

    // `opened` is what opening `bus` returned.
    void run(sd_bus_handles::BusPtr bus, int opened, const WakeUpFd& stopWakeUp,
             const std::stop_token& stop) {
        bus_ = std::move(bus);
        int result = opened;
        if (result < 0) {
            shared_->markAnswered();
            report(StatusNotifierHost::absent);
            return;
        }
        // The watcher's name changing owner is a panel starting, quitting or restarting; a
        // host registering turns a bare watcher into a panel that shows items.
        for (const char* rule :
             {"type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
              "member='NameOwnerChanged',arg0='org.kde.StatusNotifierWatcher'",
              "type='signal',interface='org.kde.StatusNotifierWatcher',"
              "member='StatusNotifierHostRegistered'",
              "type='signal',interface='org.kde.StatusNotifierWatcher',"
              "member='StatusNotifierHostUnregistered'"}) {
            sd_bus_add_match_async(bus_.get(), nullptr, rule, &onSignal, &onMatchInstalled, this);
        }
        ask();
        // Once said, the silence needs no more waking up for (UINT64_MAX: no deadline): the
        // bus's own deadlines and its first word are all that is waited for.
        std::uint64_t silentAfter = nowMicros() + micros(kAnswerLimit);
        while (!stop.stop_requested()) {
            const int events = sd_bus_get_events(bus_.get());
            std::array<pollfd, 2> watched{
                {{sd_bus_get_fd(bus_.get()), static_cast<short>(events > 0 ? events : POLLIN), 0},
                 {stopWakeUp.get(), POLLIN, 0}}};
            std::uint64_t until = UINT64_MAX;
            sd_bus_get_timeout(bus_.get(), &until);
            if (!answered_) {
                until = std::min(until, silentAfter);
            }
            if (::poll(watched.data(), watched.size(), sd_bus_handles::pollTimeoutUntil(until)) <
                    0 &&
                errno != EINTR) {
                return;
            }
            while ((result = sd_bus_process(bus_.get(), nullptr)) > 0) {
            }
            if (result < 0) {
                // The bus went away (or never finished greeting us): the session is ending.
                report(answered_ ? StatusNotifierHost::absent : StatusNotifierHost::busSilent);
                return;
            }
            if (!answered_ && nowMicros() >= silentAfter) {
                silentAfter = UINT64_MAX;
                report(StatusNotifierHost::busSilent);
            }
        }
    }

  private:
    static std::uint64_t micros(std::chrono::microseconds duration) {
        return static_cast<std::uint64_t>(duration.count());
    }

    // Asks the watcher whether a host is registered, as Qt does before it chooses its tray;
    // an earlier question still open is dropped.
    void ask() {
        pending_.reset();
        sd_bus_message* message = nullptr;
        int result =
            sd_bus_message_new_method_call(bus_.get(), &message, kWatcher, "/StatusNotifierWatcher",
                                           "org.freedesktop.DBus.Properties", "Get");
        if (result >= 0) {
            result =
                sd_bus_message_append(message, "ss", kWatcher, "IsStatusNotifierHostRegistered");
        }
        sd_bus_slot* slot = nullptr;
        if (result >= 0) {
            result = sd_bus_call_async(bus_.get(), &slot, message, &onAnswer, this,
                                       micros(kAnswerLimit));
        }
        sd_bus_message_unref(message);
        pending_.reset(slot);
        if (result < 0) {
            report(StatusNotifierHost::absent);
        }
    }

    static int onAnswer(sd_bus_message* reply, void* user, sd_bus_error* /*error*/) {
        auto* self = static_cast<Loop*>(user);
        self->answered_ = true;
        self->shared_->markAnswered();
        self->report(hostFrom(reply));
        return 0;
    }

    static StatusNotifierHost hostFrom(sd_bus_message* reply) {
        if (sd_bus_message_is_method_error(reply, nullptr) != 0) {
            const sd_bus_error* error = sd_bus_message_get_error(reply);
            if (sd_bus_error_has_names(error, SD_BUS_ERROR_SERVICE_UNKNOWN,
                                       SD_BUS_ERROR_NAME_HAS_NO_OWNER) != 0) {
                return StatusNotifierHost::absent;
            }
            if (sd_bus_error_has_names(error, SD_BUS_ERROR_NO_REPLY, SD_BUS_ERROR_TIMEOUT) != 0) {
                return StatusNotifierHost::watcherSilent;
            }
            // A watcher that cannot tell: Qt reads that as no host.
            return StatusNotifierHost::withoutHost;
        }
        int registered = 0;
        if (sd_bus_message_read(reply, "v", "b", &registered) < 0) {
            return StatusNotifierHost::withoutHost;
        }
        return registered != 0 ? StatusNotifierHost::present : StatusNotifierHost::withoutHost;
    }

    // A refused match only costs updates; without this callback sd-bus would drop the bus.
    static int onMatchInstalled(sd_bus_message* /*reply*/, void* /*user*/,
                                sd_bus_error* /*error*/) {
        return 0;
    }

    static int onSignal(sd_bus_message* message, void* user, sd_bus_error* /*error*/) {
        auto* self = static_cast<Loop*>(user);
        const char* name = nullptr;
        const char* oldOwner = nullptr;
        const char* newOwner = nullptr;
        if (sd_bus_message_is_signal(message, "org.freedesktop.DBus", "NameOwnerChanged") != 0 &&
            sd_bus_message_read(message, "sss", &name, &oldOwner, &newOwner) >= 0 &&
            (newOwner == nullptr || *newOwner == '\0')) {
            self->pending_.reset();
            self->report(StatusNotifierHost::absent);
            return 0;
        }
        self->ask();
        return 0;
    }

    void report(StatusNotifierHost host) {
        if (std::exchange(last_, host) == host) {
            return;
        }
        mainQueue_->post([onChange = onChange_, host] { onChange(host); });
    }

    std::shared_ptr<MainQueue> mainQueue_;
    std::function<void(StatusNotifierHost)> onChange_;
    std::shared_ptr<Shared> shared_;
    sd_bus_handles::BusPtr bus_;
    sd_bus_handles::SlotPtr pending_;  // after the bus: dropped first
    std::optional<StatusNotifierHost> last_;
    bool answered_ = false;
};

DBusStatusNotifierWatch::DBusStatusNotifierWatch(std::shared_ptr<MainQueue> mainQueue,
                                                 std::function<void(StatusNotifierHost)> onChange,
                                                 const std::optional<std::string>& address)
    : shared_(std::make_shared<Shared>()) {
    // Opened here, on the caller's thread: finding the session's bus reads the environment,
    // which only the thread that starts the others may do safely. It sends and waits for
    // nothing.
    sd_bus_handles::BusPtr bus;
    const int opened = sd_bus_handles::openBus(address, false, bus);
    thread_ = std::jthread(
        [loop = std::make_shared<Loop>(std::move(mainQueue), std::move(onChange), shared_),
         bus = std::move(bus), opened,
         &stopWakeUp = stopWakeUp_](const std::stop_token& stop) mutable {
            loop->run(std::move(bus), opened, stopWakeUp, stop);
        });
}

DBusStatusNotifierWatch::~DBusStatusNotifierWatch() {
    thread_.request_stop();
    stopWakeUp_.signal();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool DBusStatusNotifierWatch::busAnswers(std::chrono::milliseconds limit) const {
    std::unique_lock lock(shared_->mutex);
    return shared_->changed.wait_for(lock, limit, [this] { return shared_->answered; });
}

}  // namespace tonvera
