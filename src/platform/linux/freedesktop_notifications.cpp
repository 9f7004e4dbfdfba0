#include "platform/linux/freedesktop_notifications.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include <poll.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include "platform/linux/errno_text.h"
#include "platform/linux/sd_bus_handles.h"

namespace tonvera {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
// The key of our one action; the label is what people see.
constexpr const char* kActionKey = "action";
// Notifications whose action may still be picked; older ones are forgotten.
constexpr std::size_t kRememberedActions = 32;

using sd_bus_handles::BusPtr;
using sd_bus_handles::MessagePtr;
using sd_bus_handles::pollTimeout;

std::string errorOf(sd_bus_message* reply) {
    const sd_bus_error* error = sd_bus_message_get_error(reply);
    if (error != nullptr && error->message != nullptr) {
        return error->message;
    }
    return error != nullptr && error->name != nullptr ? error->name : "refused";
}

// A body as plain text for a service that reads markup: output names come from devices on the
// network and may hold "&" or "<b>".
std::string escapedMarkup(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace

// What the main thread hands to the worker.
struct FreedesktopNotifications::Shared {
    std::mutex mutex;
    std::deque<std::pair<Notification, Action>> queued;
    bool closed = false;  // no bus: later notifications are dropped at once
    WakeUpFd queuedWakeUp;
};

// Everything bus-related, on the worker thread: sd-bus objects belong to one thread.
class FreedesktopNotifications::Worker {
  public:
    Worker(std::shared_ptr<Shared> shared, std::shared_ptr<MainQueue> mainQueue, Logger logger)
        : shared_(std::move(shared)),
          mainQueue_(std::move(mainQueue)),
          logger_(std::move(logger)) {}

    void run(const std::optional<std::string>& address, const WakeUpFd& stopWakeUp,
             const std::stop_token& stop) {
        if (!connect(address)) {
            std::lock_guard lock(shared_->mutex);
            shared_->closed = true;
            shared_->queued.clear();
            return;
        }
        while (!stop.stop_requested()) {
            takeQueued();
            if (!waitAndProcess(stopWakeUp)) {
                return;
            }
        }
    }

  private:
    enum class Capabilities { unknown, asking, known };

    // One Notify in flight.
    struct Pending {
        Worker* worker;
        Action action;
    };

    // A shown notification whose action may still be picked, and the unique bus name of the
    // service that showed it: only that connection may say it was picked.
    struct Shown {
        std::string service;
        Action action;
    };

    bool connect(const std::optional<std::string>& address) {
        int result = sd_bus_handles::openBus(address, false, bus_);
        if (result < 0) {
            logger_.error("The session bus is not reachable ({}); notifications are not shown",
                          errnoText(result));
            return false;
        }
        for (const char* member : {"ActionInvoked", "NotificationClosed"}) {
            // Asynchronous: the answer comes through the loop like any other message. The bus
            // hands on broadcasts only from the name's owner; onSignal checks the rest.
            result = sd_bus_match_signal_async(bus_.get(), nullptr, kService, kPath, kInterface,
                                               member, &onSignal, nullptr, this);
            if (result < 0) {
                logger_.error("Cannot watch {}.{} ({}); picked actions are not noticed", kInterface,
                              member, errnoText(result));
            }
        }
        return true;
    }

    void takeQueued() {
        {
            std::lock_guard lock(shared_->mutex);
            while (!shared_->queued.empty()) {
                waiting_.push_back(std::move(shared_->queued.front()));
                shared_->queued.pop_front();
            }
        }
        if (waiting_.empty()) {
            return;
        }
        if (capabilities_ == Capabilities::unknown) {
            askCapabilities();
        }
        if (capabilities_ != Capabilities::known) {
            return;
        }
        for (auto& [notification, action] : waiting_) {
            send(notification, std::move(action));
        }
        waiting_.clear();
        // Another service may take the name before the next one (a desktop switched, a daemon
        // restarted) and read markup where this one did not: asked again then. Notifications are
        // rare; one more call each costs nothing.
        capabilities_ = Capabilities::unknown;
    }

    MessagePtr newCall(const char* member) {
        sd_bus_message* raw = nullptr;
        sd_bus_message_new_method_call(bus_.get(), &raw, kService, kPath, kInterface, member);
        return MessagePtr(raw);
    }

    static std::uint64_t timeoutMicros() {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(kCallTimeout).count());
    }

    void askCapabilities() {
        const MessagePtr call = newCall("GetCapabilities");
        if (!call || sd_bus_call_async(bus_.get(), nullptr, call.get(), &onCapabilities, this,
                                       timeoutMicros()) < 0) {
            serviceAbsent("the call could not be sent");
            return;
        }
        capabilities_ = Capabilities::asking;
    }

    static int onCapabilities(sd_bus_message* reply, void* user, sd_bus_error* /*error*/) {
        auto& self = *static_cast<Worker*>(user);
        if (sd_bus_message_is_method_error(reply, nullptr) != 0) {
            self.capabilities_ = Capabilities::unknown;
            self.serviceAbsent(errorOf(reply));
            return 0;
        }
        self.actions_ = false;
        self.bodyMarkup_ = false;
        if (sd_bus_message_enter_container(reply, 'a', "s") > 0) {
            const char* capability = nullptr;
            while (sd_bus_message_read(reply, "s", &capability) > 0) {
                self.actions_ = self.actions_ || std::string_view(capability) == "actions";
                self.bodyMarkup_ =
                    self.bodyMarkup_ || std::string_view(capability) == "body-markup";
            }
        }
        self.capabilities_ = Capabilities::known;
        self.reportedAbsent_ = false;
        self.takeQueued();
        return 0;
    }

    void send(const Notification& notification, Action action) {
        const MessagePtr call = newCall("Notify");
        const bool withAction = actions_ && notification.actionLabel.has_value();
        int result = call ? 0 : -ENOMEM;
        const std::string body = bodyMarkup_ ? escapedMarkup(notification.body) : notification.body;
        if (result >= 0) {
            result = sd_bus_message_append(call.get(), "susss", "Tonvera", 0U, "tonvera",
                                           notification.title.c_str(), body.c_str());
        }
        if (result >= 0) {
            result = withAction ? sd_bus_message_append(call.get(), "as", 2, kActionKey,
                                                        notification.actionLabel->c_str())
                                : sd_bus_message_append(call.get(), "as", 0);
        }
        if (result >= 0) {
            // The launcher's name lets the desktop show our icon and group our notifications.
            result =
                sd_bus_message_append(call.get(), "a{sv}i", 1, "desktop-entry", "s", "tonvera", -1);
        }
        auto& pending =
            pending_.emplace_back(Pending{this, withAction ? std::move(action) : nullptr});
        if (result >= 0) {
            result = sd_bus_call_async(bus_.get(), nullptr, call.get(), &onNotified, &pending,
                                       timeoutMicros());
        }
        if (result < 0) {
            pending_.pop_back();
            logger_.error("Cannot send a notification ({})", errnoText(result));
        }
    }

    static int onNotified(sd_bus_message* reply, void* user, sd_bus_error* /*error*/) {
        auto* pending = static_cast<Pending*>(user);
        Worker& self = *pending->worker;
        std::uint32_t id = 0;
        if (sd_bus_message_is_method_error(reply, nullptr) != 0) {
            self.serviceAbsent(errorOf(reply));
        } else if (sd_bus_message_read(reply, "u", &id) > 0) {
            self.reportedAbsent_ = false;
            const char* service = sd_bus_message_get_sender(reply);
            if (pending->action && service != nullptr) {
                self.actionsById_[id] = Shown{service, std::move(pending->action)};
                while (self.actionsById_.size() > kRememberedActions) {
                    self.actionsById_.erase(self.actionsById_.begin());
                }
            }
        }
        self.pending_.remove_if([pending](const Pending& entry) { return &entry == pending; });
        return 0;
    }

    static int onSignal(sd_bus_message* message, void* user, sd_bus_error* /*error*/) {
        auto& self = *static_cast<Worker*>(user);
        std::uint32_t id = 0;
        if (sd_bus_message_read(message, "u", &id) <= 0) {
            return 0;  // a malformed signal is ignored
        }
        const auto found = self.actionsById_.find(id);
        if (found == self.actionsById_.end()) {
            return 0;  // another program's notification, or one without an action
        }
        // The bus vouches for a signal's sender, but sd-bus lets a signal addressed to us pass
        // the match from any sender: any program on the bus could press our action. Only the
        // service that showed the notification counts, whether it broadcasts (as most do) or
        // addresses us directly.
        const char* sender = sd_bus_message_get_sender(message);
        if (sender == nullptr || found->second.service != sender) {
            return 0;
        }
        const char* key = nullptr;
        if (sd_bus_message_is_signal(message, kInterface, "ActionInvoked") != 0 &&
            sd_bus_message_read(message, "s", &key) > 0 && std::string_view(key) == kActionKey) {
            self.mainQueue_->post(std::move(found->second.action));
        }
        self.actionsById_.erase(found);
        return 0;
    }

    // No service took the call: what is waiting is dropped, and the log says so once.
    void serviceAbsent(const std::string& reason) {
        waiting_.clear();
        if (!std::exchange(reportedAbsent_, true)) {
            logger_.error("No notification service answers ({}); notifications are not shown",
                          reason);
        }
    }

    // One wait for the bus, a new notification or the stop wake-up; false when the bus is lost.
    bool waitAndProcess(const WakeUpFd& stopWakeUp) {
        const int events = sd_bus_get_events(bus_.get());
        std::array<pollfd, 3> watched{{
            {sd_bus_get_fd(bus_.get()), static_cast<short>(events > 0 ? events : POLLIN), 0},
            {shared_->queuedWakeUp.get(), POLLIN, 0},
            {stopWakeUp.get(), POLLIN, 0},
        }};
        if (::poll(watched.data(), watched.size(), pollTimeout(bus_.get())) < 0 && errno != EINTR) {
            logger_.error("Waiting for the notification service failed ({})", errnoText(errno));
            return false;
        }
        if ((watched[1].revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t got =
                ::read(shared_->queuedWakeUp.get(), &count, sizeof count);
        }
        int result = 0;
        while ((result = sd_bus_process(bus_.get(), nullptr)) > 0) {
        }
        if (result < 0) {
            logger_.error("Lost the session bus ({}); notifications are not shown",
                          errnoText(result));
            std::lock_guard lock(shared_->mutex);
            shared_->closed = true;
            return false;
        }
        return true;
    }

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<MainQueue> mainQueue_;
    Logger logger_;
    Capabilities capabilities_ = Capabilities::unknown;
    bool actions_ = false;
    bool bodyMarkup_ = false;
    bool reportedAbsent_ = false;
    std::vector<std::pair<Notification, Action>> waiting_;
    std::list<Pending> pending_;  // a list: the calls in flight hold pointers to its elements
    std::map<std::uint32_t, Shown> actionsById_;
    BusPtr bus_;  // last: closing it drops the calls in flight before what they point to
};

FreedesktopNotifications::FreedesktopNotifications(std::shared_ptr<MainQueue> mainQueue,
                                                   std::shared_ptr<LogSink> logSink,
                                                   std::optional<std::string> sessionBusAddress)
    : shared_(std::make_shared<Shared>()) {
    worker_ = std::jthread(
        [worker = Worker(shared_, std::move(mainQueue),
                         Logger(std::move(logSink), std::string(kLogSubsystem), "Notifications")),
         address = std::move(sessionBusAddress), &stopWakeUp = stopWakeUp_](
            const std::stop_token& stop) mutable { worker.run(address, stopWakeUp, stop); });
}

FreedesktopNotifications::~FreedesktopNotifications() {
    worker_.request_stop();
    stopWakeUp_.signal();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void FreedesktopNotifications::show(const Notification& notification, Action onAction) {
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->closed) {
            return;
        }
        shared_->queued.emplace_back(notification, std::move(onAction));
    }
    shared_->queuedWakeUp.signal();
}

}  // namespace tonvera
