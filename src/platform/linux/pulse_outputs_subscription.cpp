#include "platform/linux/pulse_outputs_subscription.h"

#include <algorithm>
#include <shared_mutex>
#include <stdexcept>
#include <utility>

#include <pulse/error.h>
#include <pulse/operation.h>
#include <pulse/timeval.h>

#include "platform/linux/environment_lock.h"
#include "platform/linux/pulse_bluetooth_address.h"

namespace tonvera {
namespace {

using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kFirstPause = 500ms;
constexpr std::chrono::milliseconds kLongestPause = 30s;

timeval after(std::chrono::milliseconds pause) {
    // The loop's time events take a wall-clock time.
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(std::chrono::microseconds(pause).count()));
    return when;
}

// Holds libpulse's loop lock for one scope.
class LoopLock {
  public:
    explicit LoopLock(pa_threaded_mainloop* loop) : loop_(loop) {
        pa_threaded_mainloop_lock(loop_);
    }
    ~LoopLock() { pa_threaded_mainloop_unlock(loop_); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

  private:
    pa_threaded_mainloop* loop_;
};

// Our reference to an operation is not needed: its callback reports the result, and a context
// that goes away cancels it.
bool started(pa_operation* operation) {
    if (operation == nullptr) {
        return false;
    }
    pa_operation_unref(operation);
    return true;
}

}  // namespace

PulseOutputsSubscription::PulseOutputsSubscription(std::optional<std::string> server,
                                                   Listener listener, Logger logger)
    : server_(std::move(server)),
      listener_(std::move(listener)),
      logger_(std::move(logger)),
      pause_(kFirstPause) {
    loop_ = pa_threaded_mainloop_new();
    if (loop_ == nullptr || pa_threaded_mainloop_start(loop_) < 0) {
        if (loop_ != nullptr) {
            pa_threaded_mainloop_free(loop_);
        }
        throw std::runtime_error("Could not start the sound-server event loop.");
    }
    LoopLock lock(loop_);
    connect();
}

PulseOutputsSubscription::~PulseOutputsSubscription() {
    {
        LoopLock lock(loop_);
        if (retry_ != nullptr) {
            pa_threaded_mainloop_get_api(loop_)->time_free(retry_);
        }
        dropContext();
    }
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

void PulseOutputsSubscription::refresh() {
    LoopLock lock(loop_);
    if (!connected_) {
        return;  // the connection under way, or the next attempt, reads everything anyway
    }
    // pipewire-pulse can stop telling a long-lived client that the default changed (see
    // PulseConnection::currentDefaultSinkName): a new connection reads the truth and is told
    // again. The listener hears nothing in between; the list read on it follows.
    dropContext();
    connected_ = false;
    reading_ = false;
    readAgain_ = false;
    connect();
}

void PulseOutputsSubscription::connect() {
    failed_ = false;
    // Both read libpulse's settings from the environment.
    const std::shared_lock environment(environmentLock());
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Tonvera");
    if (context_ == nullptr) {
        lost();
        return;
    }
    pa_context_set_state_callback(context_, &onState, this);
    pa_context_set_subscribe_callback(context_, &onEvent, this);
    // Failing at once (no such socket, say) leaves the context failed without a callback.
    if (pa_context_connect(context_, server_ ? server_->c_str() : nullptr, PA_CONTEXT_NOAUTOSPAWN,
                           nullptr) < 0) {
        lost();
    }
}

void PulseOutputsSubscription::dropContext() {
    if (context_ == nullptr) {
        return;
    }
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
}

void PulseOutputsSubscription::lost() {
    if (std::exchange(failed_, true)) {
        return;
    }
    if (!reportedLost_) {
        const char* reason =
            context_ != nullptr ? pa_strerror(pa_context_errno(context_)) : "no context";
        logger_.error("The sound server cannot be reached ({}); connecting again when it returns",
                      reason);
        reportedLost_ = true;
    }
    connected_ = false;
    reading_ = false;
    readAgain_ = false;
    listener_(std::nullopt);

    // The context is dropped when the pause ends, outside its own callbacks.
    const timeval when = after(pause_);
    auto* api = pa_threaded_mainloop_get_api(loop_);
    if (retry_ == nullptr) {
        retry_ = api->time_new(api, &when, &onRetry, this);
    } else {
        api->time_restart(retry_, &when);
    }
    pause_ = std::min(pause_ * 2, kLongestPause);
}

void PulseOutputsSubscription::onRetry(pa_mainloop_api* /*api*/, pa_time_event* /*event*/,
                                       const struct timeval* /*time*/, void* user) {
    auto* self = static_cast<PulseOutputsSubscription*>(user);
    self->dropContext();
    self->connect();
}

void PulseOutputsSubscription::onState(pa_context* context, void* user) {
    auto* self = static_cast<PulseOutputsSubscription*>(user);
    switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            self->connected_ = true;
            self->pause_ = kFirstPause;
            if (self->reportedLost_) {
                self->logger_.info("The sound server can be reached again");
                self->reportedLost_ = false;
            }
            started(pa_context_subscribe(
                context,
                static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                    PA_SUBSCRIPTION_MASK_SERVER),
                nullptr, nullptr));
            self->read();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            self->lost();
            break;
        default:
            break;
    }
}

void PulseOutputsSubscription::onEvent(pa_context* /*context*/,
                                       pa_subscription_event_type_t /*type*/,
                                       std::uint32_t /*index*/, void* user) {
    // Any sink or server event may change a name or the default; one re-read answers them all.
    static_cast<PulseOutputsSubscription*>(user)->read();
}

void PulseOutputsSubscription::read() {
    if (!connected_) {
        return;
    }
    if (reading_) {
        readAgain_ = true;  // the burst goes on: read once more when this read ends
        return;
    }
    reading_ = true;
    sinksRead_ = false;
    defaultRead_ = false;
    defaultSink_.clear();
    outputs_.clear();
    // A refused request means the context is failing; its state callback follows.
    if (!started(pa_context_get_sink_info_list(context_, &onSink, this)) ||
        !started(pa_context_get_server_info(context_, &onServerInfo, this))) {
        reading_ = false;  // the context is failing; its state callback follows
    }
}

void PulseOutputsSubscription::onServerInfo(pa_context* /*context*/, const pa_server_info* info,
                                            void* user) {
    auto* self = static_cast<PulseOutputsSubscription*>(user);
    self->defaultSink_ =
        info != nullptr && info->default_sink_name != nullptr ? info->default_sink_name : "";
    self->defaultRead_ = true;
    self->finishIfRead();
}

void PulseOutputsSubscription::onSink(pa_context* /*context*/, const pa_sink_info* info, int last,
                                      void* user) {
    auto* self = static_cast<PulseOutputsSubscription*>(user);
    if (last == 0) {
        SoundOutput output;
        output.name = info->description != nullptr ? info->description : "";
        output.identifier = info->name != nullptr ? info->name : "";
        output.bluetoothAddress = bluetoothAddressOfSink(*info);
        self->outputs_.push_back(std::move(output));
        return;
    }
    if (last < 0) {
        self->reading_ = false;  // the context is failing; its state callback follows
        return;
    }
    self->sinksRead_ = true;
    self->finishIfRead();
}

void PulseOutputsSubscription::finishIfRead() {
    if (reading_ && sinksRead_ && defaultRead_) {
        finishRead();
    }
}

void PulseOutputsSubscription::finishRead() {
    reading_ = false;
    for (auto& output : outputs_) {
        output.isDefault = output.identifier == defaultSink_;
    }
    listener_(outputs_);
    if (readAgain_) {
        readAgain_ = false;
        read();
    }
}

}  // namespace tonvera
