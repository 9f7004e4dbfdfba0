#include "platform/qt/single_instance.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tonvera {
namespace {

constexpr std::string_view kReopenRequest = "reopen\n";
constexpr std::string_view kReopenAnswer = "ok\n";

// The socket's address, or nothing when the path does not fit one.
std::optional<sockaddr_un> addressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

int remainingMilliseconds(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::int64_t>(left.count(), 0));
}

// Waits for `events` on `fd` until `deadline`, riding out interruptions.
bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
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

}  // namespace

// A start that asked to reopen, while its request arrives.
struct SingleInstance::Client {
    std::unique_ptr<QSocketNotifier> readable;
    std::string received;
};

SingleInstance::SingleInstance(QString folder)
    : folder_(std::move(folder)),
      socketPath_((folder_ + QStringLiteral("/instance.socket")).toStdString()) {}

SingleInstance::~SingleInstance() {
    for (auto& [fd, client] : clients_) {
        client->readable.reset();
        ::close(fd);
    }
    clients_.clear();
    listening_.reset();
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(socketPath_.c_str());
    }
}

QString SingleInstance::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/tonvera");
}

bool SingleInstance::claim(std::function<void()> onReopen) {
    if (!QDir().mkpath(folder_)) {
        return false;
    }
    QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    lock_ = std::make_unique<QLockFile>(folder_ + QStringLiteral("/instance.lock"));
    // Held for the whole run: only a dead owner makes it stale, never its age.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    onReopen_ = std::move(onReopen);
    const auto address = addressOf(socketPath_);
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    ::unlink(socketPath_.c_str());  // left behind by a crashed run; the lock says it is ours
    if (!address || listener_ < 0 ||
        ::bind(listener_, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
        ::listen(listener_, 4) != 0) {
        // Still the only instance; later starts just cannot reach it.
        if (listener_ >= 0) {
            ::close(listener_);
            listener_ = -1;
        }
        return true;
    }
    listening_ = std::make_unique<QSocketNotifier>(listener_, QSocketNotifier::Read);
    QObject::connect(listening_.get(), &QSocketNotifier::activated, [this] { acceptClients(); });
    return true;
}

void SingleInstance::acceptClients() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            return;  // none left (EAGAIN), or one that gave up before we came to it
        }
        auto client = std::make_unique<Client>();
        client->readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(client->readable.get(), &QSocketNotifier::activated,
                         [this, fd] { readFrom(fd); });
        clients_[fd] = std::move(client);
    }
}

void SingleInstance::readFrom(int fd) {
    Client& client = *clients_.at(fd);
    std::array<char, 64> buffer{};
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    if (got > 0) {
        client.received.append(buffer.data(), static_cast<std::size_t>(got));
    }
    const bool asked = client.received == kReopenRequest;
    if (asked) {
        [[maybe_unused]] const ssize_t sent =
            ::send(fd, kReopenAnswer.data(), kReopenAnswer.size(), MSG_NOSIGNAL);
    }
    if (asked || got <= 0 || client.received.size() >= kReopenRequest.size()) {
        // The notifier may not be deleted inside its own signal.
        client.readable->setEnabled(false);
        client.readable.release()->deleteLater();
        clients_.erase(fd);
        ::close(fd);
    }
    if (asked && onReopen_) {
        QTimer::singleShot(0, onReopen_);
    }
}

bool SingleInstance::askRunningInstanceToReopen(std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const auto address = addressOf(socketPath_);
    if (!address) {
        return false;
    }
    // The running instance may have taken the lock a moment ago and not listen yet.
    while (remainingMilliseconds(deadline) > 0) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return false;
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0) {
            std::string answer;
            const bool sent = ::send(fd, kReopenRequest.data(), kReopenRequest.size(),
                                     MSG_NOSIGNAL) == static_cast<ssize_t>(kReopenRequest.size());
            std::array<char, 16> buffer{};
            while (sent && answer.size() < kReopenAnswer.size() && waitFor(fd, POLLIN, deadline)) {
                const ssize_t got = ::read(fd, buffer.data(), buffer.size());
                if (got <= 0) {
                    break;
                }
                answer.append(buffer.data(), static_cast<std::size_t>(got));
            }
            ::close(fd);
            return answer == kReopenAnswer;
        }
        ::close(fd);
        pollfd none{-1, 0, 0};
        ::poll(&none, 0, std::min(50, remainingMilliseconds(deadline)));
    }
    return false;
}

}  // namespace tonvera
