#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <pulse/context.h>
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
        std::string name;         // the server's internal name, used to address it
        std::string description;  // the name people see
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

    // Makes `sinkName` the default and moves every playing stream to it.
    void selectSink(const std::string& sinkName);

    // Used by the libpulse callbacks.
    struct Request;

  private:
    void waitFor(Request& request, const std::vector<pa_operation*>& operations, const char* what);
    void waitForContextReady();
    void close();

    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    std::chrono::milliseconds timeout_;

  public:
    // Shared with the callbacks, which run on libpulse's thread.
    mutable std::mutex mutex;
    std::condition_variable changed;
    bool contextReady = false;
    bool contextFailed = false;
};

}  // namespace tonvera
