#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QLockFile;
class QSocketNotifier;

namespace tonvera {

// One running Tonvera per user session. The first start holds a lock file in the session's
// runtime folder for its whole life and listens on a local socket beside it; a later start
// finds the lock taken, asks the running one to reopen and ends. The lock is taken
// atomically, so two starts at the same moment still leave exactly one running; a lock left
// by a crashed process is recognised by its process number and taken over.
class SingleInstance {
  public:
    // `folder` is private to the user (created with mode 0700 when missing).
    explicit SingleInstance(QString folder);
    ~SingleInstance();

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process is now the running instance; `onReopen` runs on the main thread
    // each time another start asks for it.
    bool claim(std::function<void()> onReopen);

    // Asks the running instance to reopen; false when it did not answer within `limit`.
    bool askRunningInstanceToReopen(std::chrono::milliseconds limit) const;

    // The session's folder for it: $XDG_RUNTIME_DIR/tonvera, or the like where that is unset.
    static QString defaultFolder();

  private:
    struct Client;

    void acceptClients();
    void readFrom(int fd);

    QString folder_;
    std::string socketPath_;
    std::unique_ptr<QLockFile> lock_;
    int listener_ = -1;
    std::unique_ptr<QSocketNotifier> listening_;
    std::map<int, std::unique_ptr<Client>> clients_;
    std::function<void()> onReopen_;
};

}  // namespace tonvera
