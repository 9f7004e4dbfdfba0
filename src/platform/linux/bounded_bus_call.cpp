#include "platform/linux/bounded_bus_call.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include <poll.h>

#include "platform/linux/wake_up_fd.h"

namespace tonvera {

using sd_bus_handles::MessagePtr;
using sd_bus_handles::SlotPtr;

BusAnswer callBefore(sd_bus* bus, sd_bus_message* call,
                     std::chrono::steady_clock::time_point deadline, const std::stop_token& stop) {
    MessagePtr reply;
    const auto onReply = [](sd_bus_message* message, void* user, sd_bus_error* /*error*/) {
        static_cast<MessagePtr*>(user)->reset(sd_bus_message_ref(message));
        return 0;
    };
    sd_bus_slot* pending = nullptr;
    int result = sd_bus_call_async(bus, &pending, call, onReply, &reply, 0);
    if (result < 0) {
        return {BusAnswer::Status::lost, nullptr, result};
    }
    // Dropped on return, so an answer that comes later never reaches `reply`.
    const SlotPtr slot(pending);
    const WakeUpFd stopWakeUp;
    const std::stop_callback onStop(stop, [&stopWakeUp] { stopWakeUp.signal(); });
    while (!reply) {
        if (stop.stop_requested()) {
            return {BusAnswer::Status::cancelled, nullptr, 0};
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return {BusAnswer::Status::timedOut, nullptr, 0};
        }
        const int events = sd_bus_get_events(bus);
        std::array<pollfd, 2> watched{
            {{sd_bus_get_fd(bus), static_cast<short>(events > 0 ? events : POLLIN), 0},
             {stopWakeUp.get(), POLLIN, 0}}};
        const int busTimeout = sd_bus_handles::pollTimeout(bus);
        const int timeout = busTimeout < 0 ? static_cast<int>(left.count())
                                           : std::min(busTimeout, static_cast<int>(left.count()));
        if (::poll(watched.data(), watched.size(), timeout) < 0 && errno != EINTR) {
            return {BusAnswer::Status::lost, nullptr, -errno};
        }
        while (!reply && (result = sd_bus_process(bus, nullptr)) > 0) {
        }
        if (result < 0) {
            return {BusAnswer::Status::lost, nullptr, result};
        }
    }
    // A connection that closes answers every pending call with an error of its own making.
    if (sd_bus_message_is_method_error(reply.get(), nullptr) != 0 && sd_bus_is_open(bus) <= 0) {
        return {BusAnswer::Status::lost, nullptr, -ECONNRESET};
    }
    return {BusAnswer::Status::answered, std::move(reply), 0};
}

}  // namespace tonvera
