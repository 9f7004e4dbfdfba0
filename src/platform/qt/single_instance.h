#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/linux/instance_client.h"

class QLockFile;
class QSocketNotifier;

namespace tonvera {

// One running Tonvera per user session. The first start holds a lock file in the session's
// runtime folder for its whole life and listens on a local socket beside it; a later start
// finds the lock taken, asks the running one to reopen and ends. The lock is taken
// atomically, so two starts at the same moment still leave exactly one running; a lock left
// by a crashed process is recognised by its process number and taken over.
//
// The socket carries one request line and one answer line per connection (InstanceClient is
// the asking side):
//   "reopen" or "reopen <activation token>"  →  "ok"
//   "connect" (the preferred output) or "connect <name>"  →  "<status> <text>", once the
//       run is over
//   "status"  →  a JSON object
// Anything else is answered with "error <text>" and the connection closed.
class SingleInstance {
  public:
    // Hands the answer to a connect request back; call it once, on the main thread, whenever
    // the run is over. `status` is one word.
    using ConnectReply = std::function<void(const std::string& status, const std::string& text)>;

    // What the running instance does for later starts and commands; each runs on the main
    // thread, outside the socket's own notification.
    struct Handlers {
        // `activationToken` lets the desktop bring a window forward for the second start; empty
        // when that start had none.
        std::function<void(const std::string& activationToken)> reopen;
        // Nothing for `name` means the preferred output.
        std::function<void(const std::optional<std::string>& name, ConnectReply reply)> connect;
        std::function<std::string()> status;
    };

    struct Claim {
        enum class Outcome {
            claimed,      // this process is the running instance now; a non-empty `error`
                          // says why later starts cannot reach it
            heldByOther,  // a running Tonvera holds the lock
            unusable,     // the folder or lock cannot be made or taken; `error` says why
        };
        Outcome outcome = Outcome::unusable;
        std::string error;
    };

    using Exchange = InstanceClient::Exchange;

    // How long a request line may take to arrive before the connection is dropped.
    static constexpr std::chrono::seconds kRequestWait{5};
    // A longer request is refused: names and tokens are short.
    static constexpr std::size_t kMaxRequest = 4096;

    // `folder` is private to the user (created with mode 0700 when missing); empty when the
    // session has no usable one.
    explicit SingleInstance(QString folder);
    ~SingleInstance();

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    Claim claim(Handlers handlers);

    // Asks the running instance to reopen; false when it did not answer within `limit`. It may
    // have taken the lock a moment ago, so a socket not there yet is tried again.
    bool askRunningInstanceToReopen(std::chrono::milliseconds limit,
                                    const std::string& activationToken = {}) const;

    // Sends one request line (without line feed) and waits at most `limit` for the answer.
    Exchange request(const std::string& line, std::chrono::milliseconds limit) const;

    // The session's folder for it (InstanceClient::defaultFolder); empty when there is none.
    static QString defaultFolder();

  private:
    struct Client;

    void acceptClients();
    void readFrom(std::uint64_t id);
    void dispatch(std::uint64_t id, const std::shared_ptr<Client>& client, const std::string& line);
    void answer(std::uint64_t id, const std::string& line);

    QString folder_;
    std::filesystem::path socketPath_;
    std::unique_ptr<QLockFile> lock_;
    int listener_ = -1;
    std::unique_ptr<QSocketNotifier> listening_;
    std::map<std::uint64_t, std::shared_ptr<Client>> clients_;
    std::uint64_t nextClient_ = 0;
    Handlers handlers_;
};

}  // namespace tonvera
