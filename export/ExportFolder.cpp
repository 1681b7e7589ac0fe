#include "export/ExportFolder.h"

#include "common/Error.h"
#include "common/Log.h"
#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kMarker[] = ".velmora-export";

[[noreturn]] void Fail(const QString &what, const QString &path, int error) {
    throw VelmoraError(QStringLiteral("%1 \"%2\"：%3").arg(what, ShownPath(path), SystemErrorText(error)));
}

QString TempPrefix(const QString &target) {
    return QStringLiteral(".%1.velmora-export-").arg(QFileInfo(target).fileName());
}

// Temporary folders of exports into the same target whose process has ended (killed while writing).
void RemoveStale(const QString &target) {
    const QFileInfo t(target);
    const QString prefix = TempPrefix(target);
    const QStringList names =
        QDir(t.absolutePath())
            .entryList({prefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const qint64 pid = name.mid(prefix.size()).section(QLatin1Char('-'), 0, 0).toLongLong();
        if (pid > 0 && pid != ::getpid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH) {
            qCInfo(lcExport) << "removing the folder of an export that ended unfinished:" << name;
            QDir(QDir(t.absolutePath()).filePath(name)).removeRecursively();
        }
    }
}

} // namespace

ExportFolder::ExportFolder(const QString &target) : target_(QFileInfo(target).absoluteFilePath()) {
    const QFileInfo t(target_);
    if (t.exists() || t.isSymLink()) {
        if (!t.isDir() || t.isSymLink())
            throw VelmoraError(
                QStringLiteral("無法匯出到 \"%1\"：它已存在，且不是資料夾").arg(ShownPath(target_)));
        const QDir dir(target_);
        if (!dir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot) &&
            !QFileInfo::exists(dir.filePath(QLatin1String(kMarker))))
            throw VelmoraError(QStringLiteral("無法匯出到 \"%1\"：這個資料夾已有其他檔案，匯出不會覆蓋它們；"
                                              "請指定新的或空的資料夾")
                                   .arg(ShownPath(target_)));
    }
    const QString parent = t.absolutePath();
    if (!QFileInfo(parent).isDir()) Fail(QStringLiteral("無法建立資料夾"), target_, ENOENT);
    RemoveStale(target_);
    temp_ = QDir(parent).filePath(TempPrefix(target_) +
                                  QStringLiteral("%1-%2")
                                      .arg(::getpid())
                                      .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    if (::mkdir(QFile::encodeName(temp_).constData(), 0777) != 0)
        Fail(QStringLiteral("無法建立資料夾"), target_, errno);
}

ExportFolder::~ExportFolder() {
    if (!committed_ && !temp_.isEmpty()) QDir(temp_).removeRecursively();
}

void ExportFolder::Write(const QString &relative, QByteArrayView bytes) {
    const QString path = QDir(temp_).filePath(relative);
    const QString shown = QDir(target_).filePath(relative);
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    if (slash > 0 && !QDir().mkpath(QDir(temp_).filePath(relative.left(slash))))
        Fail(QStringLiteral("無法建立資料夾"), QDir(target_).filePath(relative.left(slash)), errno);
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) Fail(QStringLiteral("無法寫入檔案"), shown, errno);
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            Fail(QStringLiteral("無法寫入檔案"), shown, error);
        }
        data += n;
        left -= n;
    }
    if (::close(fd) != 0) Fail(QStringLiteral("無法寫入檔案"), shown, errno);
}

void ExportFolder::Commit() {
    Write(QLatin1String(kMarker), QByteArrayView("velmora-notes export\n"));
    const QByteArray from = QFile::encodeName(temp_), to = QFile::encodeName(target_);
    // An empty folder is replaced by the rename itself; an earlier export is swapped out in one step
    // and removed afterwards, so that the target always holds one whole export.
    if (::rename(from.constData(), to.constData()) != 0) {
        if (errno != ENOTEMPTY && errno != EEXIST) Fail(QStringLiteral("無法建立資料夾"), target_, errno);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) != 0)
            Fail(QStringLiteral("無法取代資料夾"), target_, errno);
        committed_ = true;
        if (!QDir(temp_).removeRecursively()) // now the earlier export
            qCWarning(lcExport) << "could not remove the earlier export at" << temp_;
        return;
    }
    committed_ = true;
}
