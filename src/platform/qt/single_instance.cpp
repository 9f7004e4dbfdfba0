#include "platform/qt/single_instance.h"

#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/linux/unix_socket_path.h"

namespace tonvera {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kConnectRetry{50};

std::string errorText(int number) {
    return std::generic_category().message(number);
}

int remainingMilliseconds(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT32_MAX));
}

}  // namespace

// One connected peer while its request arrives and, for a connect, until the run is over.
struct SingleInstance::Client {
    int fd = -1;
    std::unique_ptr<QSocketNotifier> readable;
    std::unique_ptr<QTimer> deadline;
    std::string received;

    Client() = default;
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    ~Client() {
        // Possibly inside the notifier's or the timer's own signal: they go later.
        if (readable) {
            readable->setEnabled(false);
            readable.release()->deleteLater();
        }
        if (deadline) {
            deadline->stop();
            deadline.release()->deleteLater();
        }
        ::close(fd);
    }
};

SingleInstance::SingleInstance(QString folder)
    : folder_(std::move(folder)),
      socketPath_(folder_.isEmpty() ? std::filesystem::path()
                                    : std::filesystem::path(folder_.toStdString()) /
                                          InstanceClient::kSocketName) {}

SingleInstance::~SingleInstance() {
    for (auto& [id, client] : clients_) {
        client->readable.reset();
        client->deadline.reset();
    }
    clients_.clear();
    listening_.reset();
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(socketPath_.c_str());
    }
}

QString SingleInstance::defaultFolder() {
    const auto folder = InstanceClient::defaultFolder();
    return folder ? QString::fromStdString(folder->string()) : QString();
}

SingleInstance::Claim SingleInstance::claim(Handlers handlers) {
    using Outcome = Claim::Outcome;
    if (folder_.isEmpty()) {
        return {Outcome::unusable,
                "the session has no private runtime folder (XDG_RUNTIME_DIR is unset and the "
                "fallback in the temporary folder is missing or belongs to another user)"};
    }
    const std::filesystem::path folder = folder_.toStdString();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        return {Outcome::unusable,
                "cannot create the folder " + folder.string() + ": " + error.message()};
    }
    QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString lockPath = folder_ + QStringLiteral("/instance.lock");
    lock_ = std::make_unique<QLockFile>(lockPath);
    // Held for the whole run: only a dead owner makes it stale, never its age.
    lock_->setStaleLockTime(0);
    errno = 0;
    if (!lock_->tryLock(0)) {
        const int cause = errno;
        const auto lockError = lock_->error();
        lock_.reset();
        if (lockError == QLockFile::LockFailedError) {
            return {Outcome::heldByOther, {}};
        }
        return {Outcome::unusable, "cannot take the lock " + lockPath.toStdString() + ": " +
                                       (lockError == QLockFile::PermissionError ? errorText(EACCES)
                                        : cause != 0                            ? errorText(cause)
                                                     : std::string("unknown error"))};
    }
    handlers_ = std::move(handlers);
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    ::unlink(socketPath_.c_str());  // left behind by a crashed run; the lock says it is ours
    int cause = listener_ < 0 ? errno : bindUnixSocket(listener_, socketPath_);
    if (cause == 0 && ::listen(listener_, 8) != 0) {
        cause = errno;
    }
    if (cause != 0) {
        // Still the only instance; later starts just cannot reach it.
        if (listener_ >= 0) {
            ::close(listener_);
            listener_ = -1;
        }
        return {Outcome::claimed,
                "cannot listen on " + socketPath_.string() + ": " + errorText(cause)};
    }
    listening_ = std::make_unique<QSocketNotifier>(listener_, QSocketNotifier::Read);
    QObject::connect(listening_.get(), &QSocketNotifier::activated, [this] { acceptClients(); });
    return {Outcome::claimed, {}};
}

void SingleInstance::acceptClients() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            return;  // none left (EAGAIN), or one that gave up before we came to it
        }
        const std::uint64_t id = nextClient_++;
        auto client = std::make_shared<Client>();
        client->fd = fd;
        client->readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(client->readable.get(), &QSocketNotifier::activated,
                         [this, id] { readFrom(id); });
        // A peer that connects and never finishes its line must not hold a descriptor forever.
        client->deadline = std::make_unique<QTimer>();
        client->deadline->setSingleShot(true);
        QObject::connect(client->deadline.get(), &QTimer::timeout,
                         [this, id] { clients_.erase(id); });
        client->deadline->start(kRequestWait);
        clients_[id] = std::move(client);
    }
}

void SingleInstance::readFrom(std::uint64_t id) {
    const auto found = clients_.find(id);
    if (found == clients_.end()) {
        return;
    }
    const std::shared_ptr<Client> client = found->second;
    std::array<char, 1024> buffer{};
    const ssize_t got = ::read(client->fd, buffer.data(), buffer.size());
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    if (got <= 0) {
        clients_.erase(id);  // gone before its request was complete
        return;
    }
    client->received.append(buffer.data(), static_cast<std::size_t>(got));
    const auto end = client->received.find('\n');
    if ((end == std::string::npos ? client->received.size() : end) > kMaxRequest) {
        answer(id, "error request too long");
        return;
    }
    if (end == std::string::npos) {
        return;
    }
    client->readable->setEnabled(false);
    client->deadline->stop();
    dispatch(id, client, client->received.substr(0, end));
}

void SingleInstance::dispatch(std::uint64_t id, const std::shared_ptr<Client>& client,
                              const std::string& line) {
    std::string_view verb = line;
    std::optional<std::string> argument;
    if (const auto space = line.find(' '); space != std::string::npos) {
        verb = verb.substr(0, space);
        argument = line.substr(space + 1);
    }
    if (verb == "reopen") {
        answer(id, "ok");
        if (handlers_.reopen) {
            QTimer::singleShot(
                0, [reopen = handlers_.reopen, token = argument.value_or("")] { reopen(token); });
        }
    } else if (verb == "status" && !argument && handlers_.status) {
        answer(id, handlers_.status());
    } else if (verb == "connect" && handlers_.connect) {
        // The client stays until the run is over; a reply after it (or we) went does nothing.
        ConnectReply reply = [this, weak = std::weak_ptr<Client>(client), id](
                                 const std::string& status, const std::string& text) {
            if (weak.lock()) {
                answer(id, status + " " + text);
            }
        };
        QTimer::singleShot(0, [connect = handlers_.connect, argument, reply = std::move(reply)] {
            connect(argument, reply);
        });
    } else {
        answer(id, "error unknown request");
    }
}

void SingleInstance::answer(std::uint64_t id, const std::string& line) {
    const auto found = clients_.find(id);
    if (found == clients_.end()) {
        return;
    }
    std::string text = line;
    std::replace(text.begin(), text.end(), '\n', ' ');
    text += '\n';
    // Answers are short and the socket's buffer empty: one send, never a wait.
    [[maybe_unused]] const ssize_t sent =
        ::send(found->second->fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    clients_.erase(found);
}

SingleInstance::Exchange SingleInstance::request(const std::string& line,
                                                 std::chrono::milliseconds limit) const {
    return InstanceClient(socketPath_.empty() ? std::filesystem::path() : socketPath_.parent_path())
        .request(line, limit);
}

bool SingleInstance::askRunningInstanceToReopen(std::chrono::milliseconds limit,
                                                const std::string& activationToken) const {
    const auto deadline = Clock::now() + limit;
    // A token that does not fit one line is left out rather than break the request.
    const bool tokenFits = !activationToken.empty() && activationToken.size() < 1024 &&
                           activationToken.find('\n') == std::string::npos;
    const std::string line = tokenFits ? "reopen " + activationToken : "reopen";
    while (remainingMilliseconds(deadline) > 0) {
        const Exchange exchange =
            request(line, std::chrono::milliseconds(remainingMilliseconds(deadline)));
        if (exchange.outcome != Exchange::Outcome::nobodyListens) {
            return exchange.outcome == Exchange::Outcome::answered && exchange.answer == "ok";
        }
        // The running instance may have taken the lock a moment ago and not listen yet.
        pollfd none{-1, 0, 0};
        ::poll(&none, 0, std::min<int>(kConnectRetry.count(), remainingMilliseconds(deadline)));
    }
    return false;
}

}  // namespace tonvera
