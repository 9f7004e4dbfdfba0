#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <semaphore>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <poll.h>
#include <pulse/subscribe.h>
#include <sys/socket.h>
#include <sys/un.h>

#include "platform/linux/unique_fd.h"
#include "platform/linux/wake_up_fd.h"
#include "support/listening_socket.h"

namespace tonvera::testing {

// Stands between one libpulse client and the sound server at `serverAddress` and holds the
// client's read of the sinks and the server's information half done: once the server has
// answered for the sinks, the question for its information waits until release(). What the
// server says meanwhile reaches the client in the middle of that read. From then on only one
// event passes, the first that announces a new sink, so the client learns of that sink by
// reading again or not at all. Shared memory is declined on the client's behalf: every packet
// then comes through here (and no audio does: the client plays nothing).
class PulseReadHold {
  public:
    explicit PulseReadHold(const std::string& serverAddress)
        : server_(serverAddress.substr(serverAddress.find(':') + 1)) {}
    ~PulseReadHold() { stop_.signal(); }

    std::string address() const { return "unix:" + listener_.path().string(); }
    bool waitForSinks() { return sinksAnswered_.try_acquire_for(std::chrono::seconds(10)); }
    bool waitForNewSink() { return sinkAnnounced_.try_acquire_for(std::chrono::seconds(10)); }
    void release() const { release_.signal(); }

  private:
    // A packet is a header of five 32-bit numbers, its length first, and tagged values ('L'
    // and four bytes each): a command's number, its tag, then its first value (the version
    // asked for, the kind of an event).
    static constexpr std::uint32_t kReply = 2, kAuth = 8, kServerInfo = 20, kSinks = 22,
                                   kEvent = 66,
                                   kNewSink =
                                       PA_SUBSCRIPTION_EVENT_SINK | PA_SUBSCRIPTION_EVENT_NEW;
    static constexpr std::size_t kHeader = 20, kCommand = kHeader + 1, kTag = kHeader + 6,
                                 kFirstValue = kHeader + 11;

    static std::uint32_t number(const std::string& packet, std::size_t offset) {
        std::uint32_t value = 0;
        packet.copy(reinterpret_cast<char*>(&value), sizeof value, offset);
        return ntohl(value);
    }

    // The first whole packet of `bytes`; nothing while it is incomplete.
    static std::optional<std::string> front(const std::string& bytes) {
        const bool whole = bytes.size() >= kHeader && bytes.size() >= kHeader + number(bytes, 0);
        return whole ? std::optional(bytes.substr(0, kHeader + number(bytes, 0))) : std::nullopt;
    }

    static bool receive(int from, std::string& bytes) {
        std::array<char, 65536> buffer{};
        const ssize_t count = ::recv(from, buffer.data(), buffer.size(), 0);
        bytes.append(buffer.data(), static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
        return count > 0;
    }

    void relay() {
        std::array<pollfd, 2> accepting{{{listener_.fd(), POLLIN, 0}, {stop_.get(), POLLIN, 0}}};
        if (::poll(accepting.data(), accepting.size(), -1) <= 0 || accepting[1].revents != 0) {
            return;
        }
        const UniqueFd client(::accept4(listener_.fd(), nullptr, nullptr, SOCK_CLOEXEC));
        const UniqueFd server(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
        server_.copy(address.sun_path, sizeof address.sun_path - 1);
        if (::connect(server.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address)) {
            return;
        }
        std::string fromClient;
        std::string fromServer;
        std::optional<std::uint32_t> sinksTag;
        for (bool released = false, answered = false, announced = false;;) {
            std::array<pollfd, 4> ready{{{client.get(), POLLIN, 0},
                                         {server.get(), POLLIN, 0},
                                         {stop_.get(), POLLIN, 0},
                                         {released ? -1 : release_.get(), POLLIN, 0}}};
            if (::poll(ready.data(), ready.size(), -1) < 0 || ready[2].revents != 0 ||
                (ready[0].revents != 0 && !receive(client.get(), fromClient)) ||
                (ready[1].revents != 0 && !receive(server.get(), fromServer))) {
                return;
            }
            released = released || ready[3].revents != 0;
            while (auto packet = front(fromClient)) {
                const auto asked = number(*packet, kCommand);
                if (asked == kServerInfo && !released) {
                    break;
                }
                if (asked == kAuth) {
                    (*packet)[kFirstValue] &= 0x3F;  // the version's flags for shared memory
                }
                if (asked == kSinks && !sinksTag) {
                    sinksTag = number(*packet, kTag);
                }
                ::send(server.get(), packet->data(), packet->size(), MSG_NOSIGNAL);
                fromClient.erase(0, packet->size());
            }
            while (auto packet = front(fromServer)) {
                fromServer.erase(0, packet->size());
                const bool event = number(*packet, kCommand) == kEvent && answered;
                if (event && (announced || number(*packet, kFirstValue) != kNewSink)) {
                    continue;
                }
                ::send(client.get(), packet->data(), packet->size(), MSG_NOSIGNAL);
                if (event) {
                    announced = true;
                    sinkAnnounced_.release();
                } else if (number(*packet, kCommand) == kReply &&
                           number(*packet, kTag) == sinksTag) {
                    answered = true;
                    sinksAnswered_.release();
                }
            }
        }
    }

    std::string server_;
    ListeningSocket listener_;
    WakeUpFd stop_;
    WakeUpFd release_;
    std::binary_semaphore sinksAnswered_{0};
    std::binary_semaphore sinkAnnounced_{0};
    std::jthread thread_{[this] { relay(); }};
};

}  // namespace tonvera::testing
