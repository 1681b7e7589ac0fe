#include "platform/FileStamp.h"

#include "platform/WinPath.h"

#include <QFile>

#include <sys/stat.h>

namespace {

FileStamp FromStat(const struct stat &st) {
    FileStamp s;
    s.device = quint64(st.st_dev);
    s.inode = quint64(st.st_ino);
    s.size = qint64(st.st_size);
    s.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

} // namespace

FileStamp FileStamp::Of(const QString &path) {
    struct stat st;
    if (::stat(QFile::encodeName(ResolveWinPath(path)).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return FileStamp();
    return FromStat(st);
}

FileStamp FileStamp::OfDescriptor(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return FileStamp();
    return FromStat(st);
}
