#include "platform/linux/dbus_system_events.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <list>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#include <poll.h>
#include <systemd/sd-bus.h>

#include "platform/linux/errno_text.h"
#include "platform/linux/sd_bus_handles.h"

namespace tonvera {

// How many buses are still neither watched nor given up.
struct DBusSystemEvents::Progress {
    std::mutex mutex;
    std::condition_variable changed;
    int unsettled = 2;
};

namespace {

using sd_bus_handles::BusPtr;
using sd_bus_handles::pollTimeout;

}  // namespace

// Everything bus-related, on the watcher thread: sd-bus objects belong to one thread.
class DBusSystemEvents::Watcher {
  public:
    Watcher(std::weak_ptr<SystemEventSubscribers> subscribers, std::shared_ptr<MainQueue> mainQueue,
            Logger logger, std::shared_ptr<Progress> progress)
        : subscribers_(std::move(subscribers)),
          mainQueue_(std::move(mainQueue)),
          logger_(std::move(logger)),
          progress_(std::move(progress)) {}

    // Connects to both buses, then hands their signals on until `stop` or until no bus is left.
    void run(const std::optional<std::string>& systemAddress,
             const std::optional<std::string>& sessionAddress, const WakeUpFd& stopWakeUp,
             const std::stop_token& stop) {
        // Each signal only from the owner of its service's name, at the service's path: the bus
        // delivers a broadcast only from the connection that owns the name at the time, so no
        // other program on the bus can fake a wake.
        connect(
            "system", systemAddress,
            {{"org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
              "PrepareForSleep", std::nullopt, SystemEvent::didWake}});
        const auto screenSaver = [](const char* name, const char* path) {
            return Signal{.sender = name,
                          .path = path,
                          .interface = name,
                          .member = "ActiveChanged",
                          .whenTrue = SystemEvent::screensDidSleep,
                          .whenFalse = SystemEvent::screensDidWake};
        };
        connect("session", sessionAddress,
                {screenSaver("org.gnome.ScreenSaver", "/org/gnome/ScreenSaver"),
                 screenSaver("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"),
                 screenSaver("org.freedesktop.ScreenSaver", "/ScreenSaver")});
        while (!stop.stop_requested() && !buses_.empty()) {
            if (!waitAndProcess(stopWakeUp)) {
                return;
            }
        }
    }

  private:
    struct Bus;

    // One signal to watch: the name that sends it, its path, interface and member, and the
    // event each flag value means.
    struct Signal {
        const char* sender;
        const char* path;
        const char* interface;
        const char* member;
        std::optional<SystemEvent> whenTrue;
        std::optional<SystemEvent> whenFalse;
        Bus* bus = nullptr;
    };

    struct Bus {
        Watcher* watcher;
        std::string name;
        std::vector<std::unique_ptr<Signal>> signals;  // outlive `bus`, whose callbacks use them
        int pendingMatches = 0;
        bool settled = false;
        BusPtr bus;
    };

    void connect(const char* name, const std::optional<std::string>& address,
                 const std::vector<Signal>& signals) {
        const bool system = std::string_view(name) == "system";
        BusPtr connection;
        int result = sd_bus_handles::openBus(address, system, connection);
        if (result < 0) {
            logger_.error("The {} bus is not reachable ({}); its events are not watched", name,
                          errnoText(result));
            settleOne();
            return;
        }
        Bus& bus = buses_.emplace_back(Bus{this, name, {}, 0, false, std::move(connection)});
        for (const auto& signal : signals) {
            auto& watched = bus.signals.emplace_back(std::make_unique<Signal>(signal));
            watched->bus = &bus;
            // Asynchronous: the answer comes through the loop like any other message.
            result = sd_bus_match_signal_async(bus.bus.get(), nullptr, watched->sender,
                                               watched->path, watched->interface, watched->member,
                                               &onSignal, &onMatchInstalled, watched.get());
            if (result < 0) {
                logger_.error("Cannot watch {}.{} on the {} bus ({})", watched->interface,
                              watched->member, name, errnoText(result));
            } else {
                ++bus.pendingMatches;
            }
        }
        if (bus.pendingMatches == 0) {
            settle(bus);
        }
    }

    static int onSignal(sd_bus_message* message, void* user, sd_bus_error* /*error*/) {
        const auto* signal = static_cast<const Signal*>(user);
        // The bus checks the sender of broadcasts only; a signal addressed to this connection
        // arrives whatever the matches say, and sd-bus cannot tell a well-known sender apart
        // from any other, so only broadcasts count.
        int flag = 0;
        if (sd_bus_message_get_destination(message) != nullptr ||
            sd_bus_message_read(message, "b", &flag) < 0) {
            return 0;  // ignored, like a malformed signal
        }
        if (const auto event = flag != 0 ? signal->whenTrue : signal->whenFalse) {
            signal->bus->watcher->mainQueue_->post(
                [subscribers = signal->bus->watcher->subscribers_, event = *event] {
                    if (const auto alive = subscribers.lock()) {
                        alive->deliver(event);
                    }
                });
        }
        return 0;
    }

    static int onMatchInstalled(sd_bus_message* reply, void* user, sd_bus_error* /*error*/) {
        const auto* signal = static_cast<const Signal*>(user);
        Bus& bus = *signal->bus;
        if (sd_bus_message_is_method_error(reply, nullptr) != 0) {
            const sd_bus_error* error = sd_bus_message_get_error(reply);
            bus.watcher->logger_.error(
                "Cannot watch {}.{} on the {} bus ({})", signal->interface, signal->member,
                bus.name,
                error != nullptr && error->message != nullptr ? error->message : "refused");
        }
        if (--bus.pendingMatches == 0) {
            bus.watcher->settle(bus);
        }
        return 0;
    }

    void settle(Bus& bus) {
        if (!std::exchange(bus.settled, true)) {
            settleOne();
        }
    }

    void settleOne() {
        {
            std::lock_guard lock(progress_->mutex);
            --progress_->unsettled;
        }
        progress_->changed.notify_all();
    }

    // One wait for any bus or the stop wake-up, then every bus's pending work; false when
    // waiting itself failed.
    bool waitAndProcess(const WakeUpFd& stopWakeUp) {
        std::vector<pollfd> watched;
        int timeout = -1;
        for (auto& bus : buses_) {
            const int events = sd_bus_get_events(bus.bus.get());
            watched.push_back({sd_bus_get_fd(bus.bus.get()),
                               static_cast<short>(events > 0 ? events : POLLIN), 0});
            const int busTimeout = pollTimeout(bus.bus.get());
            timeout = timeout < 0 ? busTimeout
                                  : (busTimeout < 0 ? timeout : std::min(timeout, busTimeout));
        }
        watched.push_back({stopWakeUp.get(), POLLIN, 0});
        if (::poll(watched.data(), watched.size(), timeout) < 0 && errno != EINTR) {
            logger_.error("Waiting for system events failed ({}); they are no longer watched",
                          errnoText(errno));
            for (auto& bus : buses_) {
                settle(bus);
            }
            return false;
        }
        for (auto bus = buses_.begin(); bus != buses_.end();) {
            int result = 0;
            while ((result = sd_bus_process(bus->bus.get(), nullptr)) > 0) {
            }
            if (result < 0) {
                logger_.error("Lost the {} bus ({}); its events are no longer watched", bus->name,
                              errnoText(result));
                settle(*bus);
                bus = buses_.erase(bus);
            } else {
                ++bus;
            }
        }
        return true;
    }

    std::weak_ptr<SystemEventSubscribers> subscribers_;
    std::shared_ptr<MainQueue> mainQueue_;
    Logger logger_;
    std::shared_ptr<Progress> progress_;
    std::list<Bus> buses_;  // a list: the callbacks hold pointers to its elements
};

DBusSystemEvents::DBusSystemEvents(std::shared_ptr<MainQueue> mainQueue,
                                   std::shared_ptr<LogSink> logSink,
                                   std::optional<std::string> systemBusAddress,
                                   std::optional<std::string> sessionBusAddress)
    : subscribers_(std::make_shared<SystemEventSubscribers>()),
      progress_(std::make_shared<Progress>()) {
    watcher_ = std::jthread(
        [watcher =
             Watcher(subscribers_, std::move(mainQueue),
                     Logger(std::move(logSink), std::string(kLogSubsystem), "Wake"), progress_),
         systemBusAddress = std::move(systemBusAddress),
         sessionBusAddress = std::move(sessionBusAddress),
         &stopWakeUp = stopWakeUp_](const std::stop_token& stop) mutable {
            watcher.run(systemBusAddress, sessionBusAddress, stopWakeUp, stop);
        });
}

DBusSystemEvents::~DBusSystemEvents() {
    watcher_.request_stop();
    stopWakeUp_.signal();
    if (watcher_.joinable()) {
        watcher_.join();
    }
}

SystemEventToken DBusSystemEvents::subscribe(SystemEvent event, std::function<void()> handler) {
    return subscribers_->subscribe(event, std::move(handler));
}

void DBusSystemEvents::unsubscribe(SystemEventToken token) {
    subscribers_->unsubscribe(token);
}

bool DBusSystemEvents::waitUntilWatching(std::chrono::milliseconds limit) const {
    std::unique_lock lock(progress_->mutex);
    return progress_->changed.wait_for(lock, limit, [this] { return progress_->unsettled <= 0; });
}

}  // namespace tonvera
