#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/thread-mainloop.h>

namespace tonvera {

// The sound server could not be reached, or did not answer in time.
class PulseError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One connection to a PulseAudio (or PipeWire-Pulse) server over libpulse's threaded main
// loop. Every request waits for its answer at most `timeout`, so a stalled server never
// blocks a caller for longer; a server that goes away fails the requests at once.
class PulseConnection {
  public:
    struct Sink {
        std::string name;              // the server's internal name, used to address it
        std::string description;       // the name people see
        std::uint32_t index = 0;       // the server's number for it while it exists
        std::string bluetoothAddress;  // the device's, when the sink is a Bluetooth device's
    };

    // Connects to `server` (a libpulse address such as "unix:/run/…/native"), or to the
    // user's usual server when nothing is given. Throws PulseError.
    PulseConnection(const std::optional<std::string>& server, std::chrono::milliseconds timeout);
    ~PulseConnection();

    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Whether the connection still stands.
    bool isReady() const;

    // The sinks in the server's order.
    std::vector<Sink> sinks();

    std::string defaultSinkName();

    // The default as a new client reads it. A long-lived client of pipewire-pulse (0.3.65) can
    // stop hearing of changes of the default once the session manager stalled while another
    // client connected: it then reports the default of its first moments for good, while a new
    // client always reads the current one. Throws PulseError.
    std::string currentDefaultSinkName() const;

    // Both at once, in one round trip: the sinks and the default sink's name.
    std::pair<std::vector<Sink>, std::string> sinksAndDefault();

    // Makes `sinkName` the default and moves to it the playing streams that were on the
    // previous default; streams on any other sink stay where they are.
    void selectSink(const std::string& sinkName);

  private:
    // One request in flight, filled in by the libpulse callbacks.
    struct Request;

    // libpulse's callbacks; they run on its thread and take `mutex_` for what they share.
    static void onContextState(pa_context* context, void* user);
    static void onSink(pa_context* context, const pa_sink_info* info, int last, void* user);
    static void onServerInfo(pa_context* context, const pa_server_info* info, void* user);
    static void onStream(pa_context* context, const pa_sink_input_info* info, int last, void* user);
    static void onSuccess(pa_context* context, int success, void* user);

    void waitFor(Request& request, const std::vector<pa_operation*>& operations, const char* what);
    void waitForContextReady();
    void close();

    std::optional<std::string> server_;
    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    std::chrono::milliseconds timeout_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool contextReady_ = false;
    bool contextFailed_ = false;
};

}  // namespace tonvera
