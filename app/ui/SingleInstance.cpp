#include "app/ui/SingleInstance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace plovik::ui {

namespace {

constexpr int kConnectTimeoutMs = 500;
const QByteArray kActivate = QByteArrayLiteral("activate\n");

}  // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (auto* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().startsWith(kActivate.trimmed())) {
                    emit activationRequested();
                }
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString SingleInstance::defaultSocketPath() {
    auto folder = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    const auto user = QString::number(getuid());
    if (folder.isEmpty() || !QDir(folder).exists()) {
        return QDir(QDir::tempPath()).filePath(QStringLiteral("plovik-") + user + ".socket");
    }
    return QDir(folder).filePath(QStringLiteral("plovik.socket"));
}

bool SingleInstance::notifyRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return false;
    }
    socket.write(kActivate);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.waitForDisconnected(kConnectTimeoutMs);
    return true;
}

bool SingleInstance::listen() {
    // Nobody answered, so a socket file left there belongs to a copy that has ended.
    QLocalServer::removeServer(socketPath_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    return server_.listen(socketPath_);
}

}  // namespace plovik::ui
