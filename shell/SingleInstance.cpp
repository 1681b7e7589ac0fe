#include "shell/SingleInstance.h"

#include "common/Log.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
const QByteArray kRaise = "raise\n";
}

SingleInstance::SingleInstance(const QString &libraryFolder, QObject *parent)
    : QObject(parent), name_(SocketName(libraryFolder)) {}

QString SingleInstance::SocketName(const QString &libraryFolder) {
    // The same folder reached by another path (a link, a trailing slash) is the same library.
    QString folder = QFileInfo(libraryFolder).canonicalFilePath();
    if (folder.isEmpty())
        folder = QDir::cleanPath(QDir(libraryFolder).absolutePath());
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("velmoranote-%1-%2").arg(uint(getuid())).arg(QString::fromLatin1(hash));
}

bool SingleInstance::HandOverToRunning() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(kRaise);
    socket.waitForBytesWritten(1000);
    // The running reader closes the connection once it has the request; a reader that hangs still
    // counts as running, and a second window would put its settings at risk all the same.
    socket.waitForDisconnected(2000);
    return true;
}

void SingleInstance::Listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // A reader that ended without closing leaves its socket file: nobody answers it, so take it over.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_)) {
            qCWarning(lcShell) << "no single-instance socket" << name_ << server_->errorString();
            return;
        }
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == kRaise)
                    Q_EMIT RaiseRequested();
                socket->disconnectFromServer();
            });
        }
    });
}
