#include "corpus/ReaderJournal.h"

#include "common/Error.h"
#include "common/Log.h"
#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "platform/SystemError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <cerrno>
#include <cstdio>

#include <unistd.h>

namespace {

const char kLegacyName[] = "velmoranote.journal";

QString LockNameOf(const QString &journal) {
    return journal + QStringLiteral(".lock");
}

// The computer named in a journal's lock when it is not this one, else empty.
QString OtherHost(const QString &journal) {
    const QFileInfo lockInfo(LockNameOf(journal));
    if (!lockInfo.isFile()) return {};
    QLockFile lock(LockNameOf(journal));
    qint64 pid = 0;
    QString host, application;
    if (!lock.getLockInfo(&pid, &host, &application) || host.isEmpty() || host == QSysInfo::machineHostName())
        return {};
    return host;
}

// A reader's lock that nobody holds: the reader is gone. Time alone never makes a lock stale, since a
// reader may run for days.
bool OwnerGone(const QString &journal) {
    // The lock is read to learn its owner: a named pipe in its place would block the start for ever.
    const QFileInfo lockInfo(LockNameOf(journal));
    if (lockInfo.exists() && !lockInfo.isFile()) {
        qCWarning(lcCorpus) << "journal lock that is not a regular file left alone:" << lockInfo.filePath();
        return false;
    }
    QLockFile lock(LockNameOf(journal));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) return false;
    lock.unlock(); // removes the lock file it took over
    return true;
}

} // namespace

ReaderJournal::ReaderJournal(const QString &folder) : folder_(folder) {
    // Unique while this reader runs; the time tells apart a process number used again.
    fileName_ = QDir(folder_).filePath(QStringLiteral("velmoranote-%1-%2.journal")
                                           .arg(QCoreApplication::applicationPid())
                                           .arg(QDateTime::currentMSecsSinceEpoch()));
}

ReaderJournal::~ReaderJournal() = default;

void ReaderJournal::Write(const QByteArray &bytes) {
    if (bytes.isEmpty()) {
        if (!lock_) return; // never written: nothing of ours to remove
        if (::unlink(QFile::encodeName(fileName_).constData()) != 0 && errno != ENOENT)
            throw VelmoraError(QStringLiteral("無法刪除座標日誌 \"%1\"：%2")
                                   .arg(ShownPath(fileName_), SystemErrorText(errno)));
        lock_.reset(); // unlocks and removes the lock file
        return;
    }
    if (!lock_) {
        auto lock = std::make_unique<QLockFile>(LockNameOf(fileName_));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            throw VelmoraError(QStringLiteral("無法鎖定座標日誌 \"%1\"。").arg(ShownPath(fileName_)));
        lock_ = std::move(lock);
    }
    // Replaced whole: a crash leaves the old journal or the new one, never a part of either.
    AtomicFile file(fileName_, QStringLiteral("無法寫入座標日誌 \"%1\"：%2"));
    file.Write(bytes);
    file.Commit();
}

QStringList ReaderJournal::Orphans(const QString &folder) {
    QStringList names;
    for (const Orphan &orphan : OrphansToOffer(folder))
        if (orphan.otherHost.isEmpty()) names << orphan.fileName;
    return names;
}

std::vector<ReaderJournal::Orphan> ReaderJournal::OrphansToOffer(const QString &folder) {
    QDir dir(folder);
    const QFileInfoList found =
        dir.entryInfoList({QStringLiteral("velmoranote-*.journal"), QString::fromLatin1(kLegacyName)},
                          QDir::Files, QDir::Time | QDir::Reversed);
    std::vector<Orphan> orphans;
    for (const QFileInfo &info : found) {
        const QString path = dir.filePath(info.fileName());
        if (info.fileName() == QLatin1String(kLegacyName) || OwnerGone(path))
            orphans.push_back({path, QString()});
        else if (const QString host = OtherHost(path); !host.isEmpty())
            orphans.push_back({path, host});
        else
            qCDebug(lcCorpus) << "journal of a running reader left alone:" << path;
    }
    return orphans;
}

QByteArray ReaderJournal::ReadOrphan(const QString &fileName) {
    // A regular file only, and no larger than positions can make it: a larger one is refused unread.
    RegularFileRead file = ReadRegularFile(fileName, kMaxBytes);
    if (!file.ok) throw VelmoraError(file.reason);
    return std::move(file.bytes);
}

void ReaderJournal::RemoveOrphan(const QString &fileName) {
    if (!QFile::remove(fileName)) qCWarning(lcCorpus) << "cannot remove the journal taken back:" << fileName;
    QFile::remove(LockNameOf(fileName)); // a lock another computer left names a journal no longer there
}

QString ReaderJournal::SetAside(const QString &fileName) {
    const QFileInfo info(fileName);
    const QString aside = info.dir().filePath(
        QStringLiteral("velmoranote-declined-%1.journal.json")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"))));
    // The system's own calls, for the system's reason in the message.
    if (::rename(QFile::encodeName(fileName).constData(), QFile::encodeName(aside).constData()) != 0)
        throw VelmoraError(QStringLiteral("無法將座標日誌 \"%1\" 另存為 \"%2\"：%3")
                               .arg(ShownPath(fileName), ShownPath(aside), SystemErrorText(errno)));
    return aside;
}
