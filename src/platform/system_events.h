#pragma once

#include <cstdint>
#include <functional>

namespace tonvera {

// Power and screen events of the user's session.
enum class SystemEvent {
    didWake,          // the machine woke from sleep
    screensDidWake,   // the screens came back (lock screen gone, display on)
    screensDidSleep,  // the screens went dark or locked
};

using SystemEventToken = std::uint64_t;

// Subscriptions to system events.
class SystemEvents {
  public:
    virtual ~SystemEvents() = default;

    // Calls `handler` on the main thread each time `event` happens, until the returned token
    // is unsubscribed.
    virtual SystemEventToken subscribe(SystemEvent event, std::function<void()> handler) = 0;

    // Ends a subscription; unknown tokens are ignored. Callable from any thread: once it
    // returns, the handler is never called again. A call under way on the main thread is
    // waited for, so a thread that the main thread waits on must not unsubscribe.
    virtual void unsubscribe(SystemEventToken token) = 0;
};

}  // namespace tonvera
