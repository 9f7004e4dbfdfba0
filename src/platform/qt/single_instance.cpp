#include "platform/qt/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <string_view>

namespace tonvera {
namespace {

constexpr std::string_view kReopenRequest = "reopen\n";
constexpr std::string_view kReopenAnswer = "ok\n";

}  // namespace

SingleInstance::SingleInstance(QString folder) : folder_(std::move(folder)) {}

SingleInstance::~SingleInstance() {
    if (server_) {
        server_->close();
    }
}

QString SingleInstance::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/tonvera");
}

bool SingleInstance::claim(std::function<void()> onReopen) {
    if (!QDir().mkpath(folder_)) {
        error_ = QStringLiteral("cannot create %1").arg(folder_);
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
    const QString socketPath = folder_ + QStringLiteral("/instance.socket");
    QLocalServer::removeServer(socketPath);  // left behind by a crashed run
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath)) {
        // Still the only instance; later starts just cannot reach it.
        error_ = server_->errorString();
        return true;
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection,
                     [server = server_.get(), onReopen = std::move(onReopen)] {
                         while (QLocalSocket* client = server->nextPendingConnection()) {
                             QObject::connect(client, &QLocalSocket::disconnected, client,
                                              &QObject::deleteLater);
                             QObject::connect(client, &QLocalSocket::readyRead, client,
                                              [client, onReopen] {
                                                  if (!client->canReadLine()) {
                                                      return;
                                                  }
                                                  if (client->readLine() == kReopenRequest.data()) {
                                                      client->write(kReopenAnswer.data());
                                                      client->flush();
                                                      onReopen();
                                                  }
                                                  client->disconnectFromServer();
                                              });
                         }
                     });
    return true;
}

bool SingleInstance::askRunningInstanceToReopen(std::chrono::milliseconds limit) const {
    const QString socketPath = folder_ + QStringLiteral("/instance.socket");
    const QDeadlineTimer deadline(limit);
    // The running instance may have taken the lock a moment ago and not listen yet.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(
                static_cast<int>(std::min<qint64>(deadline.remainingTime(), 500)))) {
            socket.write(kReopenRequest.data());
            if (socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())) &&
                socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
                return socket.readAll() == kReopenAnswer.data();
            }
            return false;
        }
        QThread::msleep(50);
    }
    return false;
}

}  // namespace tonvera
