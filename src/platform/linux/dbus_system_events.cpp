#include "platform/linux/dbus_system_events.h"

#include <cerrno>
#include <chrono>
#include <future>
#include <map>
#include <mutex>
#include <system_error>
#include <vector>

#include <poll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>

#include "platform/linux/unique_fd.h"

namespace tonvera {

// Shared with the blocks posted to the main queue, which may run after this object is gone.
struct DBusSystemEvents::Subscribers {
    std::mutex mutex;
    SystemEventToken next = 1;
    std::map<SystemEventToken, std::pair<SystemEvent, std::function<void()>>> handlers;

    void deliver(SystemEvent event) {
        std::vector<std::function<void()>> matching;
        {
            std::lock_guard lock(mutex);
            for (const auto& [token, entry] : handlers) {
                if (entry.first == event) {
                    matching.push_back(entry.second);
                }
            }
        }
        for (const auto& handler : matching) {
            handler();
        }
    }
};

namespace {

struct BusDeleter {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using BusPtr = std::unique_ptr<sd_bus, BusDeleter>;

// What a signal handler needs: where to post, and which event a flag value means.
struct SignalTarget {
    std::weak_ptr<DBusSystemEvents::Subscribers> subscribers;
    std::shared_ptr<MainQueue> mainQueue;
    std::optional<SystemEvent> whenTrue;
    std::optional<SystemEvent> whenFalse;
};

int onSignal(sd_bus_message* message, void* user, sd_bus_error* /*error*/) {
    const auto* target = static_cast<const SignalTarget*>(user);
    int flag = 0;
    if (sd_bus_message_read(message, "b", &flag) < 0) {
        return 0;  // a malformed signal is ignored
    }
    const auto event = flag != 0 ? target->whenTrue : target->whenFalse;
    if (event) {
        target->mainQueue->post([subscribers = target->subscribers, event = *event] {
            if (const auto alive = subscribers.lock()) {
                alive->deliver(event);
            }
        });
    }
    return 0;
}

struct Watch {
    const char* interface;
    const char* member;
    SignalTarget target;
};

struct Bus {
    std::string name;
    BusPtr bus;
    std::vector<std::unique_ptr<SignalTarget>> targets;
};

std::string errnoText(int negativeError) {
    return std::generic_category().message(-negativeError);
}

// Connects to the bus and installs its matches; logs and returns nothing when it cannot.
std::optional<Bus> connect(const std::string& name, bool system,
                           const std::optional<std::string>& address, std::vector<Watch> watches,
                           const Logger& logger) {
    sd_bus* raw = nullptr;
    int result = 0;
    if (address) {
        result = sd_bus_new(&raw);
        if (result >= 0) {
            sd_bus_set_address(raw, address->c_str());
            sd_bus_set_bus_client(raw, 1);
            result = sd_bus_start(raw);
        }
    } else {
        result = system ? sd_bus_open_system(&raw) : sd_bus_open_user(&raw);
    }
    BusPtr bus(raw);
    if (result < 0) {
        logger.error("The {} bus is not reachable ({}); its events are not watched", name,
                     errnoText(result));
        return std::nullopt;
    }
    Bus connected{name, std::move(bus), {}};
    for (auto& watch : watches) {
        connected.targets.push_back(std::make_unique<SignalTarget>(std::move(watch.target)));
        result =
            sd_bus_match_signal(connected.bus.get(), nullptr, nullptr, nullptr, watch.interface,
                                watch.member, &onSignal, connected.targets.back().get());
        if (result < 0) {
            logger.error("Cannot watch {}.{} on the {} bus ({})", watch.interface, watch.member,
                         name, errnoText(result));
        }
    }
    return connected;
}

int pollTimeout(sd_bus* bus) {
    std::uint64_t until = 0;
    if (sd_bus_get_timeout(bus, &until) < 0 || until == UINT64_MAX) {
        return -1;
    }
    // sd-bus counts in microseconds of the monotonic clock, which the steady clock reads.
    const auto nowMicros =
        static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                       std::chrono::steady_clock::now().time_since_epoch())
                                       .count());
    return until <= nowMicros ? 0
                              : static_cast<int>(std::min<std::uint64_t>(
                                    (until - nowMicros + 999) / 1000, 60'000));
}

}  // namespace

DBusSystemEvents::DBusSystemEvents(std::shared_ptr<MainQueue> mainQueue,
                                   std::shared_ptr<LogSink> logSink,
                                   std::optional<std::string> systemBusAddress,
                                   std::optional<std::string> sessionBusAddress)
    : subscribers_(std::make_shared<Subscribers>()) {
    std::promise<void> ready;
    auto started = ready.get_future();
    watcher_ =
        std::jthread([subscribers = std::weak_ptr(subscribers_), mainQueue = std::move(mainQueue),
                      logger = Logger(std::move(logSink), std::string(kLogSubsystem), "Wake"),
                      systemBusAddress = std::move(systemBusAddress),
                      sessionBusAddress = std::move(sessionBusAddress),
                      ready = std::move(ready)](const std::stop_token& stop) mutable {
            // sd-bus objects belong to one thread: everything bus-related happens here.
            const auto target = [&](std::optional<SystemEvent> whenTrue,
                                    std::optional<SystemEvent> whenFalse) {
                return SignalTarget{subscribers, mainQueue, whenTrue, whenFalse};
            };
            std::vector<Bus> buses;
            if (auto bus = connect("system", true, systemBusAddress,
                                   {{"org.freedesktop.login1.Manager", "PrepareForSleep",
                                     target(std::nullopt, SystemEvent::didWake)}},
                                   logger)) {
                buses.push_back(std::move(*bus));
            }
            if (auto bus =
                    connect("session", false, sessionBusAddress,
                            {{"org.gnome.ScreenSaver", "ActiveChanged",
                              target(SystemEvent::screensDidSleep, SystemEvent::screensDidWake)},
                             {"org.freedesktop.ScreenSaver", "ActiveChanged",
                              target(SystemEvent::screensDidSleep, SystemEvent::screensDidWake)}},
                            logger)) {
                buses.push_back(std::move(*bus));
            }
            UniqueFd wakeUp(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
            std::stop_callback onStop(stop, [&wakeUp] {
                const std::uint64_t one = 1;
                // Nothing to do when it fails: a full counter wakes the loop as well.
                [[maybe_unused]] const ssize_t written = ::write(wakeUp.get(), &one, sizeof one);
            });
            ready.set_value();

            while (!stop.stop_requested() && !buses.empty()) {
                std::vector<pollfd> watched;
                int timeout = -1;
                for (auto& bus : buses) {
                    const int events = sd_bus_get_events(bus.bus.get());
                    watched.push_back({sd_bus_get_fd(bus.bus.get()),
                                       static_cast<short>(events > 0 ? events : POLLIN), 0});
                    const int busTimeout = pollTimeout(bus.bus.get());
                    timeout = timeout < 0
                                  ? busTimeout
                                  : (busTimeout < 0 ? timeout : std::min(timeout, busTimeout));
                }
                watched.push_back({wakeUp.get(), POLLIN, 0});
                if (::poll(watched.data(), watched.size(), timeout) < 0 && errno != EINTR) {
                    logger.error(
                        "Waiting for system events failed ({}); they are no longer watched",
                        std::generic_category().message(errno));
                    return;
                }
                for (auto bus = buses.begin(); bus != buses.end();) {
                    int result = 0;
                    while ((result = sd_bus_process(bus->bus.get(), nullptr)) > 0) {
                    }
                    if (result < 0) {
                        logger.error("Lost the {} bus ({}); its events are no longer watched",
                                     bus->name, errnoText(result));
                        bus = buses.erase(bus);
                    } else {
                        ++bus;
                    }
                }
            }
        });
    started.wait();
}

DBusSystemEvents::~DBusSystemEvents() {
    watcher_.request_stop();
    if (watcher_.joinable()) {
        watcher_.join();
    }
}

SystemEventToken DBusSystemEvents::subscribe(SystemEvent event, std::function<void()> handler) {
    std::lock_guard lock(subscribers_->mutex);
    const SystemEventToken token = subscribers_->next++;
    subscribers_->handlers.emplace(token, std::pair{event, std::move(handler)});
    return token;
}

void DBusSystemEvents::unsubscribe(SystemEventToken token) {
    std::lock_guard lock(subscribers_->mutex);
    subscribers_->handlers.erase(token);
}

}  // namespace tonvera
