#include "platform/linux/pulse_connection.h"

#include <algorithm>
#include <mutex>
#include <shared_mutex>
#include <utility>

#include <fmt/format.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/operation.h>

#include "platform/linux/environment_lock.h"
#include "platform/linux/pulse_bluetooth_address.h"

namespace tonvera {

// One request in flight: what the callbacks fill in, guarded by the connection's mutex.
struct PulseConnection::Request {
    PulseConnection* connection = nullptr;
    bool done = false;
    bool succeeded = true;
    std::vector<Sink> sinks;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> streams;  // stream, its sink
    std::string defaultSink;
    int outstanding = 1;

    void finish(bool success) {
        std::lock_guard lock(connection->mutex_);
        succeeded = succeeded && success;
        if (--outstanding <= 0) {
            done = true;
        }
        connection->changed_.notify_all();
    }
};

namespace {

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

}  // namespace

void PulseConnection::onContextState(pa_context* context, void* user) {
    auto* connection = static_cast<PulseConnection*>(user);
    const auto state = pa_context_get_state(context);
    {
        std::lock_guard lock(connection->mutex_);
        if (state == PA_CONTEXT_READY) {
            connection->contextReady_ = true;
        } else if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
            connection->contextFailed_ = true;
        }
    }
    connection->changed_.notify_all();
}

void PulseConnection::onSink(pa_context* /*context*/, const pa_sink_info* info, int last,
                             void* user) {
    auto* request = static_cast<Request*>(user);
    if (last != 0) {
        request->finish(last > 0);
        return;
    }
    std::lock_guard lock(request->connection->mutex_);
    request->sinks.push_back({info->name != nullptr ? info->name : "",
                              info->description != nullptr ? info->description : "", info->index,
                              bluetoothAddressOfSink(*info)});
}

void PulseConnection::onServerInfo(pa_context* /*context*/, const pa_server_info* info,
                                   void* user) {
    auto* request = static_cast<Request*>(user);
    {
        std::lock_guard lock(request->connection->mutex_);
        request->defaultSink =
            info != nullptr && info->default_sink_name != nullptr ? info->default_sink_name : "";
    }
    request->finish(info != nullptr);
}

void PulseConnection::onStream(pa_context* /*context*/, const pa_sink_input_info* info, int last,
                               void* user) {
    auto* request = static_cast<Request*>(user);
    if (last != 0) {
        request->finish(last > 0);
        return;
    }
    std::lock_guard lock(request->connection->mutex_);
    request->streams.emplace_back(info->index, info->sink);
}

void PulseConnection::onSuccess(pa_context* /*context*/, int success, void* user) {
    static_cast<Request*>(user)->finish(success != 0);
}

PulseConnection::PulseConnection(const std::optional<std::string>& server,
                                 std::chrono::milliseconds timeout)
    : server_(server), timeout_(timeout) {
    mainloop_ = pa_threaded_mainloop_new();
    if (mainloop_ == nullptr) {
        throw PulseError("Could not create the sound-server event loop.");
    }
    // Both read libpulse's settings from the environment.
    std::shared_lock environment(environmentLock());
    context_ = pa_context_new(pa_threaded_mainloop_get_api(mainloop_), "Tonvera");
    if (context_ == nullptr) {
        pa_threaded_mainloop_free(mainloop_);
        throw PulseError("Could not create a sound-server context.");
    }
    pa_context_set_state_callback(context_, &onContextState, this);
    if (pa_context_connect(context_, server ? server->c_str() : nullptr, PA_CONTEXT_NOAUTOSPAWN,
                           nullptr) < 0 ||
        pa_threaded_mainloop_start(mainloop_) < 0) {
        const std::string reason = pa_strerror(pa_context_errno(context_));
        pa_context_unref(context_);
        pa_threaded_mainloop_free(mainloop_);
        throw PulseError(fmt::format("Could not connect to the sound server: {}", reason));
    }
    environment.unlock();
    try {
        waitForContextReady();
    } catch (...) {
        close();
        throw;
    }
}

PulseConnection::~PulseConnection() {
    close();
}

void PulseConnection::close() {
    if (mainloop_ == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(mainloop_);
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    pa_threaded_mainloop_unlock(mainloop_);
    pa_threaded_mainloop_stop(mainloop_);
    pa_threaded_mainloop_free(mainloop_);
    mainloop_ = nullptr;
}

void PulseConnection::waitForContextReady() {
    bool failed = false;
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, timeout_,
                               [this] { return contextReady_ || contextFailed_; })) {
            throw PulseError("The sound server did not answer in time.");
        }
        failed = contextFailed_;
    }
    if (failed) {
        LoopLock loopLock(mainloop_);
        throw PulseError(fmt::format("Could not connect to the sound server: {}",
                                     pa_strerror(pa_context_errno(context_))));
    }
}

bool PulseConnection::isReady() const {
    std::lock_guard lock(mutex_);
    return contextReady_ && !contextFailed_;
}

void PulseConnection::waitFor(Request& request, const std::vector<pa_operation*>& operations,
                              const char* what) {
    const bool refused =
        std::find(operations.begin(), operations.end(), nullptr) != operations.end();
    bool done = false;
    bool failed = false;
    if (!refused) {
        std::unique_lock lock(mutex_);
        done = changed_.wait_for(lock, timeout_, [&] { return request.done || contextFailed_; }) &&
               request.done;
        failed = contextFailed_;
    }
    {
        // Once cancelled under the loop lock, no callback touches `request` again.
        LoopLock lock(mainloop_);
        for (pa_operation* operation : operations) {
            if (operation == nullptr) {
                continue;
            }
            if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
                pa_operation_cancel(operation);
            }
            pa_operation_unref(operation);
        }
    }
    if (refused) {
        throw PulseError(fmt::format("The sound server refused to {}.", what));
    }
    if (!done) {
        throw PulseError(failed
                             ? fmt::format("The sound server went away while trying to {}.", what)
                             : fmt::format("The sound server did not answer in time to {}.", what));
    }
    std::lock_guard lock(mutex_);
    if (!request.succeeded) {
        throw PulseError(fmt::format("The sound server could not {}.", what));
    }
}

std::vector<PulseConnection::Sink> PulseConnection::sinks() {
    Request request{this};
    pa_operation* operation = nullptr;
    {
        LoopLock lock(mainloop_);
        operation = pa_context_get_sink_info_list(context_, &onSink, &request);
    }
    waitFor(request, {operation}, "list the outputs");
    return std::move(request.sinks);
}

std::string PulseConnection::defaultSinkName() {
    Request request{this};
    pa_operation* operation = nullptr;
    {
        LoopLock lock(mainloop_);
        operation = pa_context_get_server_info(context_, &onServerInfo, &request);
    }
    waitFor(request, {operation}, "tell the current output");
    return std::move(request.defaultSink);
}

std::string PulseConnection::currentDefaultSinkName() const {
    return PulseConnection(server_, timeout_).defaultSinkName();
}

std::pair<std::vector<PulseConnection::Sink>, std::string> PulseConnection::sinksAndDefault() {
    Request request{this};
    request.outstanding = 2;
    std::vector<pa_operation*> operations;
    {
        LoopLock lock(mainloop_);
        operations = {pa_context_get_sink_info_list(context_, &onSink, &request),
                      pa_context_get_server_info(context_, &onServerInfo, &request)};
    }
    waitFor(request, operations, "list the outputs");
    return {std::move(request.sinks), std::move(request.defaultSink)};
}

// Which streams follow the selection. A stream on the previous default was following the
// default, or was put there by the server when its own sink vanished; both belong on the new
// default. A stream on any other sink was routed there by hand and stays. Both servers move the
// streams that follow the default by themselves when it changes (PulseAudio since 14,
// WirePlumber's policy), but not a stream that still remembers a sink that vanished, hence the
// explicit moves. They come after the default is set: a stream moved to the sink that is the
// default at that moment follows the default again on both servers, where a move to any other
// sink would pin the stream there and have the server remember it for the application.
void PulseConnection::selectSink(const std::string& sinkName) {
    const std::string previous = currentDefaultSinkName();
    Request setDefault{this};
    pa_operation* operation = nullptr;
    {
        LoopLock lock(mainloop_);
        operation =
            pa_context_set_default_sink(context_, sinkName.c_str(), &onSuccess, &setDefault);
    }
    waitFor(setDefault, {operation}, "select the output");
    if (previous == sinkName) {
        return;
    }
    const auto all = sinks();
    const auto previousSink = std::find_if(all.begin(), all.end(),
                                           [&](const Sink& sink) { return sink.name == previous; });
    if (previousSink == all.end()) {
        return;
    }

    Request listStreams{this};
    {
        LoopLock lock(mainloop_);
        operation = pa_context_get_sink_input_info_list(context_, &onStream, &listStreams);
    }
    waitFor(listStreams, {operation}, "list the playing streams");
    std::erase_if(listStreams.streams,
                  [&](const auto& stream) { return stream.second != previousSink->index; });
    if (listStreams.streams.empty()) {
        return;
    }
    Request moves{this};
    moves.outstanding = static_cast<int>(listStreams.streams.size());
    std::vector<pa_operation*> operations;
    {
        LoopLock lock(mainloop_);
        for (const auto& stream : listStreams.streams) {
            operations.push_back(pa_context_move_sink_input_by_name(
                context_, stream.first, sinkName.c_str(), &onSuccess, &moves));
        }
    }
    try {
        waitFor(moves, operations, "move the playing streams");
    } catch (const PulseError&) {
        // The output is selected; a stream that could not follow is no reason to fail.
    }
}

}  // namespace tonvera
