#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop-api.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

#include "platform/logger.h"
#include "platform/sound_outputs.h"

namespace tonvera {

// A connection to the sound server that follows its sinks and default sink for as long as the
// object lives, on a libpulse loop thread of its own. Each burst of sink or server events ends
// in one re-read of the whole list; when the server goes away the listener hears "no list", and
// the connection is tried again after a pause that doubles from half a second up to half a
// minute.
// A connected idle server costs no wakeups; an absent one costs one attempt per half minute.
class PulseOutputsSubscription {
  public:
    // Called on the loop thread with every list read, and with nothing when the server cannot
    // be reached.
    using Listener = std::function<void(SoundOutputs::List)>;

    // Starts connecting at once. Throws std::runtime_error when libpulse cannot run at all.
    PulseOutputsSubscription(std::optional<std::string> server, Listener listener, Logger logger);
    // Disconnects and waits for the loop thread to end; the listener is not called afterwards.
    ~PulseOutputsSubscription();

    // Reads the list again now on a new connection. Any thread but the loop's.
    void refresh();

    PulseOutputsSubscription(const PulseOutputsSubscription&) = delete;
    PulseOutputsSubscription& operator=(const PulseOutputsSubscription&) = delete;

  private:
    // libpulse's callbacks, run on the loop thread with the loop lock held.
    static void onState(pa_context* context, void* user);
    static void onEvent(pa_context* context, pa_subscription_event_type_t type, std::uint32_t index,
                        void* user);
    static void onServerInfo(pa_context* context, const pa_server_info* info, void* user);
    static void onSink(pa_context* context, const pa_sink_info* info, int last, void* user);
    static void onRetry(pa_mainloop_api* api, pa_time_event* event, const struct timeval* time,
                        void* user);

    void connect();
    void dropContext();
    void lost();
    void read();
    void finishIfRead();
    void finishRead();

    std::optional<std::string> server_;
    Listener listener_;
    Logger logger_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_time_event* retry_ = nullptr;
    std::chrono::milliseconds pause_;
    bool connected_ = false;
    bool reportedLost_ = false;
    // This connection attempt has failed and its retry is set: libpulse may say so twice (a
    // connect refused at once, then the state callback), which must not double the pause twice.
    bool failed_ = false;

    // The read in flight: the sink list and the default.
    bool reading_ = false;
    bool readAgain_ = false;
    bool sinksRead_ = false;
    bool defaultRead_ = false;
    std::string defaultSink_;
    std::vector<SoundOutput> outputs_;
};

}  // namespace tonvera
