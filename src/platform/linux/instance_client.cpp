#include "platform/linux/instance_client.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>

#include <poll.h>
#include <sys/socket.h>

#include "platform/linux/errno_text.h"
#include "platform/linux/runtime_folder.h"
#include "platform/linux/unique_fd.h"
#include "platform/linux/unix_socket_path.h"

namespace tonvera {
namespace {

using Clock = std::chrono::steady_clock;
using Exchange = InstanceClient::Exchange;

int remainingMilliseconds(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT32_MAX));
}

// Waits for `events` on `fd` until `deadline`, riding out interruptions.
bool waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd watched{fd, events, 0};
        const int ready = ::poll(&watched, 1, remainingMilliseconds(deadline));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

Exchange failed(Exchange::Failure failure, std::string detail = {}) {
    return {Exchange::Outcome::failed, {}, failure, std::move(detail)};
}

}  // namespace

InstanceClient::InstanceClient(const std::filesystem::path& folder)
    : socketPath_(folder.empty() ? std::filesystem::path() : folder / kSocketName) {}

std::optional<std::filesystem::path> InstanceClient::defaultFolder() {
    const auto runtime = sessionRuntimeFolder();
    return runtime ? std::optional(*runtime / "tonvera") : std::nullopt;
}

Exchange InstanceClient::request(const std::string& line, std::chrono::milliseconds limit) const {
    using Failure = Exchange::Failure;
    const auto deadline = Clock::now() + limit;
    if (socketPath_.empty()) {
        return {Exchange::Outcome::nobodyListens};
    }
    const UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.valid()) {
        return failed(Failure::unreachable, errnoText(errno));
    }
    if (const int cause = connectUnixSocket(socket.get(), socketPath_); cause != 0) {
        if (cause == ENOENT || cause == ENOTDIR || cause == ECONNREFUSED) {
            return {Exchange::Outcome::nobodyListens};
        }
        return failed(Failure::unreachable, errnoText(cause));
    }
    const std::string message = line + "\n";
    std::size_t written = 0;
    while (written < message.size()) {
        if (!waitFor(socket.get(), POLLOUT, deadline)) {
            return failed(Failure::notAnswering);
        }
        const ssize_t sent =
            ::send(socket.get(), message.data() + written, message.size() - written, MSG_NOSIGNAL);
        if (sent < 0 && errno != EAGAIN && errno != EINTR) {
            return failed(Failure::closedEarly, errnoText(errno));
        }
        written += sent > 0 ? static_cast<std::size_t>(sent) : 0;
    }
    std::string answer;
    std::array<char, 1024> buffer{};
    for (;;) {
        if (const auto end = answer.find('\n'); end != std::string::npos) {
            answer.resize(end);
            return {Exchange::Outcome::answered, answer};
        }
        if (answer.size() > kMaxAnswer) {
            return failed(Failure::unexpectedAnswer);
        }
        if (!waitFor(socket.get(), POLLIN, deadline)) {
            return failed(Failure::notAnswering);
        }
        const ssize_t got = ::read(socket.get(), buffer.data(), buffer.size());
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
            return failed(Failure::closedEarly, got == 0 ? std::string() : errnoText(errno));
        }
        answer.append(buffer.data(), static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    }
}

}  // namespace tonvera
