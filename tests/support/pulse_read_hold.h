#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <pulse/subscribe.h>
#include <sys/socket.h>
#include <sys/un.h>

#include "platform/linux/unique_fd.h"
#include "platform/linux/wake_up_fd.h"
#include "support/temporary_directory.h"

namespace tonvera::testing {

// Stands between one libpulse client and the sound server at `serverAddress` and holds the
// client's read of the sinks and the server's information half done: once the server has
// answered for the sinks, the question for its information waits until release(). What the
// server says meanwhile reaches the client in the middle of that read. From then on only one
// event passes, the first that announces a new sink, so the client learns of that sink by
// reading again or not at all. Shared memory is declined on the client's behalf: every packet
// then comes through here.
class PulseReadHold {
  public:
    explicit PulseReadHold(const std::string& serverAddress)
        : server_(serverAddress.substr(serverAddress.find(':') + 1)) {
        const sockaddr_un address = socketAddress(socket());
        if (::bind(listener_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
                0 ||
            ::listen(listener_.get(), 1) != 0) {
            throw std::runtime_error("cannot listen on " + socket());
        }
        thread_ = std::jthread([this] { relay(); });
    }
    ~PulseReadHold() { stop_.signal(); }
    PulseReadHold(const PulseReadHold&) = delete;
    PulseReadHold& operator=(const PulseReadHold&) = delete;

    std::string address() const { return "unix:" + socket(); }
    bool waitUntilSinksAnswered() { return waitFor(sinksAnswered_); }
    bool waitForNewSink() { return waitFor(sinkAnnounced_); }
    void release() const { release_.signal(); }

  private:
    // The protocol's command numbers. A packet is a header of five 32-bit numbers, its length
    // and channel first, and tagged values ('L' and four bytes each): a command's number, its
    // tag, then its first value (the version asked for, the kind of an event).
    static constexpr std::uint32_t kReply = 2, kAuth = 8, kServerInfo = 20, kSinks = 22,
                                   kEvent = 66;
    static constexpr std::size_t kHeader = 20, kChannel = 4, kCommand = kHeader + 1,
                                 kTag = kHeader + 6, kFirstValue = kHeader + 11;

    std::string socket() const { return (directory_.path() / "native").string(); }

    static sockaddr_un socketAddress(const std::string& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        return address;
    }

    static std::uint32_t number(const std::string& packet, std::size_t offset) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            value = (value << 8U) | static_cast<unsigned char>(packet.at(offset + i));
        }
        return value;
    }

    // The first whole packet of `bytes`; nothing while it is incomplete.
    static std::optional<std::string> front(const std::string& bytes) {
        if (bytes.size() < kHeader || bytes.size() < kHeader + number(bytes, 0)) {
            return std::nullopt;
        }
        return bytes.substr(0, kHeader + number(bytes, 0));
    }

    // A command's number, or nothing for a block of audio.
    static std::optional<std::uint32_t> command(const std::string& packet) {
        return number(packet, kChannel) == UINT32_MAX ? std::optional(number(packet, kCommand))
                                                      : std::nullopt;
    }

    static bool receive(int from, std::string& bytes) {
        std::array<char, 65536> buffer{};
        const ssize_t count = ::recv(from, buffer.data(), buffer.size(), 0);
        bytes.append(buffer.data(), count > 0 ? static_cast<std::size_t>(count) : 0);
        return count > 0;
    }

    static void send(int to, const std::string& packet) {
        for (std::size_t sent = 0; sent < packet.size();) {
            const ssize_t count =
                ::send(to, packet.data() + sent, packet.size() - sent, MSG_NOSIGNAL);
            if (count <= 0) {
                return;
            }
            sent += static_cast<std::size_t>(count);
        }
    }

    void relay() {
        std::array<pollfd, 2> accepting = {
            {{listener_.get(), POLLIN, 0}, {stop_.get(), POLLIN, 0}}};
        if (::poll(accepting.data(), accepting.size(), -1) <= 0 || accepting[1].revents != 0) {
            return;
        }
        const UniqueFd client(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        const UniqueFd server(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        const sockaddr_un address = socketAddress(server_);
        if (::connect(server.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address)) {
            return;
        }
        std::string fromClient;
        std::string fromServer;
        std::optional<std::uint32_t> sinksTag;
        bool released = false;
        bool answered = false;
        bool announced = false;
        for (;;) {
            std::vector<pollfd> ready = {
                {client.get(), POLLIN, 0}, {server.get(), POLLIN, 0}, {stop_.get(), POLLIN, 0}};
            if (!released) {
                ready.push_back({release_.get(), POLLIN, 0});
            }
            if (::poll(ready.data(), ready.size(), -1) < 0 || ready[2].revents != 0 ||
                (ready[0].revents != 0 && !receive(client.get(), fromClient)) ||
                (ready[1].revents != 0 && !receive(server.get(), fromServer))) {
                return;
            }
            released = released || (ready.size() > 3 && ready[3].revents != 0);
            while (auto packet = front(fromClient)) {
                const auto asked = command(*packet);
                if (asked == kServerInfo && !released) {
                    break;
                }
                if (asked == kAuth) {
                    (*packet)[kFirstValue] &= 0x3F;  // the version's flags for shared memory
                }
                if (asked == kSinks && !sinksTag) {
                    sinksTag = number(*packet, kTag);
                }
                send(server.get(), *packet);
                fromClient.erase(0, packet->size());
            }
            while (auto packet = front(fromServer)) {
                fromServer.erase(0, packet->size());
                const auto said = command(*packet);
                const bool newSink =
                    said == kEvent && number(*packet, kFirstValue) ==
                                          (PA_SUBSCRIPTION_EVENT_SINK | PA_SUBSCRIPTION_EVENT_NEW);
                if (said == kEvent && answered && (announced || !newSink)) {
                    continue;
                }
                send(client.get(), *packet);
                if (said == kReply && number(*packet, kTag) == sinksTag) {
                    answered = true;
                    set(sinksAnswered_);
                } else if (said == kEvent && answered) {
                    announced = true;
                    set(sinkAnnounced_);
                }
            }
        }
    }

    bool waitFor(const bool& flag) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return flag; });
    }
    void set(bool& flag) {
        {
            const std::lock_guard lock(mutex_);
            flag = true;
        }
        changed_.notify_all();
    }

    TemporaryDirectory directory_;
    std::string server_;
    UniqueFd listener_{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)};
    WakeUpFd stop_;
    WakeUpFd release_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool sinksAnswered_ = false;
    bool sinkAnnounced_ = false;
    std::jthread thread_;
};

}  // namespace tonvera::testing
