#include "shell/SingleInstance.h"

#include "common/Log.h"
#include "platform/EndSignals.h"
#include "platform/SystemError.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kRaise = "raise\n";
const QByteArray kRaised = "raised\n";

// The user at the other end of a local connection, or -1 when the system does not say.
long PeerUid(qintptr fd) {
    struct ucred cred = {};
    socklen_t length = sizeof cred;
    if (fd < 0 || ::getsockopt(int(fd), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0) return -1;
    return long(cred.uid);
}

} // namespace

SingleInstance::SingleInstance(const QString &libraryFolder, QObject *parent)
    : QObject(parent), libraryFolder_(libraryFolder) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close(); // removes the socket while the lock still says whose it is
    if (lockFd_ >= 0) ::close(lockFd_);
}

QString SingleInstance::PrivateFolder(const QString &candidate, bool create, QString *why) {
    const QByteArray path = QFile::encodeName(candidate);
    if (candidate.isEmpty() || !candidate.startsWith(QLatin1Char('/'))) {
        *why = QStringLiteral("\"%1\" 不是絕對路徑").arg(candidate);
        return {};
    }
    if (create && ::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        *why = QStringLiteral("無法建立資料夾 \"%1\"：%2").arg(candidate, SystemErrorText(errno));
        return {};
    }
    // lstat: a link put in the folder's place could lead anywhere.
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0) {
        *why = QStringLiteral("\"%1\"：%2").arg(candidate, SystemErrorText(errno));
        return {};
    }
    if (!S_ISDIR(info.st_mode))
        *why = QStringLiteral("\"%1\" 不是資料夾").arg(candidate);
    else if (info.st_uid != ::getuid())
        *why = QStringLiteral("資料夾 \"%1\" 屬於另一個使用者（uid %2）").arg(candidate).arg(info.st_uid);
    else if (info.st_mode & 022)
        *why = QStringLiteral("資料夾 \"%1\" 其他使用者也可寫入").arg(candidate);
    else
        return candidate;
    return {};
}

QString SingleInstance::MeetingFolder(QString *why) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        const QString folder = PrivateFolder(runtime, false, why);
        if (!folder.isEmpty()) return folder;
        qCWarning(lcShell).noquote() << "XDG_RUNTIME_DIR not used:" << *why;
    }
    // Not TMPDIR: every start must meet in the same place whatever its environment says.
    return PrivateFolder(QStringLiteral("/tmp/velmoranote-%1").arg(uint(::getuid())), true, why);
}

QString SingleInstance::MeetingName(const QString &libraryFolder) {
    struct stat info = {};
    if (::stat(QFile::encodeName(libraryFolder).constData(), &info) != 0) return {};
    return QStringLiteral("velmoranote-%1-%2")
        .arg(qulonglong(info.st_dev), 0, 16)
        .arg(qulonglong(info.st_ino));
}

SingleInstance::Claim SingleInstance::TakeLibrary(int patienceMs) {
    QString why;
    const QString folder = MeetingFolder(&why);
    const QString name = MeetingName(libraryFolder_);
    if (folder.isEmpty() || name.isEmpty()) {
        reason_ =
            QStringLiteral("無法確定只有一個視窗開著這個筆記資料夾：%1")
                .arg(name.isEmpty() ? QStringLiteral("無法讀取資料夾 \"%1\"").arg(libraryFolder_) : why);
        return Claim::Alone;
    }
    base_ = folder + QLatin1Char('/') + name;
    const QDeadlineTimer deadline(patienceMs);
    for (;;) {
        if (TryLock()) {
            Listen();
            return Claim::First;
        }
        if (lockFd_ < 0) return Claim::Alone; // reason_ says why
        // The holder may still be starting: it answers once its window is built.
        const int answered = AskHolder(int(qBound(qint64(0), deadline.remainingTime(), qint64(2000))));
        if (answered > 0) return Claim::HandedOver;
        if (answered < 0) return Claim::Alone;
        if (deadline.hasExpired()) break;
        if (EndSignals::Requested()) return Claim::Alone; // asked to end meanwhile: the caller ends
        QThread::msleep(50);
    }
    reason_ = QStringLiteral("另一個閱讀器（行程 %1）已開著這個筆記資料夾，但沒有回應；請先結束它。")
                  .arg(HolderPid());
    return Claim::Refused;
}

bool SingleInstance::TryLock() {
    if (lockFd_ < 0) {
        const QByteArray path = QFile::encodeName(base_ + QStringLiteral(".lock"));
        lockFd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        struct stat info = {};
        if (lockFd_ < 0 || ::fstat(lockFd_, &info) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::getuid()) {
            reason_ =
                QStringLiteral("無法確定只有一個視窗開著這個筆記資料夾：無法使用鎖定檔 \"%1.lock\"%2")
                    .arg(base_, lockFd_ < 0 ? QStringLiteral("：") + SystemErrorText(errno) : QString());
            if (lockFd_ >= 0) ::close(lockFd_);
            lockFd_ = -1;
            return false;
        }
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) return false;
    // Who holds it, for the message of a start that finds it held by a reader that does not answer.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(lockFd_, 0) != 0 ||
        ::pwrite(lockFd_, pid.constData(), size_t(pid.size()), 0) != pid.size())
        qCDebug(lcShell) << "the lock does not name its reader:" << base_;
    return true;
}

QString SingleInstance::HolderPid() const {
    char buffer[32] = {};
    const ssize_t n = lockFd_ >= 0 ? ::pread(lockFd_, buffer, sizeof buffer - 1, 0) : -1;
    return n > 0 ? QString::fromLatin1(buffer, int(n)).trimmed() : QStringLiteral("?");
}

int SingleInstance::AskHolder(int waitMs) {
    QLocalSocket socket;
    socket.connectToServer(base_ + QStringLiteral(".socket"));
    if (!socket.waitForConnected(qMin(waitMs, 1000))) return 0; // not listening yet
    const long uid = PeerUid(socket.socketDescriptor());
    if (uid != long(::getuid())) {
        reason_ = QStringLiteral("無法確定只有一個視窗開著這個筆記資料夾：\"%1.socket\" "
                                 "的另一端屬於另一個使用者（uid %2），不予理會")
                      .arg(base_)
                      .arg(uid);
        return -1;
    }
    socket.write(kRaise);
    socket.waitForBytesWritten(1000);
    const QDeadlineTimer deadline(waitMs);
    QByteArray answer;
    while (!answer.endsWith('\n') && socket.state() == QLocalSocket::ConnectedState &&
           socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
        answer += socket.readAll();
    answer += socket.readAll();
    return answer == kRaised ? 1 : 0;
}

void SingleInstance::Listen() {
    const QString path = base_ + QStringLiteral(".socket");
    server_ = new QLocalServer(this);
    // The lock is ours: a socket left there by a reader that ended without closing answers nobody.
    QFile::remove(path);
    if (!server_->listen(path)) {
        qCWarning(lcShell) << "no single-instance socket" << path << server_->errorString();
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (PeerUid(socket->socketDescriptor()) != long(::getuid())) {
                qCWarning(lcShell) << "a connection of another user refused";
                socket->abort();
                socket->deleteLater();
                continue;
            }
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) return;
                if (socket->readLine() == kRaise) {
                    Q_EMIT RaiseRequested();
                    socket->write(kRaised);
                    socket->flush();
                }
                socket->disconnectFromServer();
            });
        }
    });
}
