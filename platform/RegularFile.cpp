#include "platform/RegularFile.h"
#include "platform/SystemError.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return SystemErrorText(EISDIR);
    const char *kind = S_ISFIFO(mode)   ? "具名管道"
                       : S_ISSOCK(mode) ? "通訊端"
                       : S_ISCHR(mode)  ? "字元裝置"
                       : S_ISBLK(mode)  ? "區塊裝置"
                                        : "特殊檔案";
    return QStringLiteral("它不是一般檔案，而是%1。").arg(QString::fromUtf8(kind));
}

QString TooLarge(qint64 size, qint64 limit) {
    return QStringLiteral("檔案有 %1，超過可讀取的上限 %2。").arg(ShownSize(size), ShownSize(limit));
}

} // namespace

int OpenRegularFile(const QString &path, QString &reason, bool *missing) {
    if (missing) *missing = false;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer. O_NOCTTY: a terminal
    // named like the file must not become the program's.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (missing) *missing = error == ENOENT;
        reason = SystemErrorText(error);
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        reason = SystemErrorText(errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = KindOf(st.st_mode);
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

RegularFileRead ReadRegularFile(const QString &path, qint64 limit) {
    RegularFileRead result;
    const int fd = OpenRegularFile(path, result.reason, &result.missing);
    if (fd < 0) return result;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        result.reason = SystemErrorText(errno);
        return result;
    }
    if (st.st_size > limit) {
        result.reason = TooLarge(st.st_size, limit);
        return result;
    }
    try {
        // One byte more than the file holds, so that growth since fstat is seen as more bytes.
        QByteArray buffer(qsizetype(st.st_size) + 1, Qt::Uninitialized);
        qsizetype used = 0;
        for (;;) {
            if (used == buffer.size()) {
                if (buffer.size() > limit) {
                    result.reason = TooLarge(buffer.size(), limit);
                    return result;
                }
                buffer.resize(qMin<qint64>(limit + 1, qint64(buffer.size()) * 2 + 4096));
            }
            const ssize_t n = ::read(fd, buffer.data() + used, size_t(buffer.size() - used));
            if (n < 0) {
                if (errno == EINTR) continue;
                result.reason = SystemErrorText(errno);
                return result;
            }
            if (n == 0) break;
            used += n;
        }
        if (used > limit) {
            result.reason = TooLarge(used, limit);
            return result;
        }
        buffer.truncate(used);
        result.bytes = std::move(buffer);
    } catch (const std::bad_alloc &) {
        result.reason = QStringLiteral("記憶體不足，無法讀入 %1。").arg(ShownSize(st.st_size));
        return result;
    }
    result.ok = true;
    return result;
}

qint64 MemoryBoundFileLimit() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    const qint64 floor = qint64(256) << 20;
    if (pages <= 0 || pageSize <= 0) return qint64(1) << 30;
    return qMax(floor, qint64(pages) * pageSize / 4);
}

QString ShownSize(qint64 bytes) {
    if (bytes < 1024) return QStringLiteral("%1 位元組").arg(bytes);
    if (bytes < (qint64(1) << 20)) return QStringLiteral("%1 KB").arg(double(bytes) / 1024.0, 0, 'f', 1);
    if (bytes < (qint64(1) << 30))
        return QStringLiteral("%1 MB").arg(double(bytes) / double(1 << 20), 0, 'f', 1);
    return QStringLiteral("%1 GB").arg(double(bytes) / double(1 << 30), 0, 'f', 1);
}
