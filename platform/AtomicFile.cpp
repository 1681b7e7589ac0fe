#include "platform/AtomicFile.h"
#include "platform/SystemError.h"

#include "common/Error.h"
#include "common/Log.h"
#include "platform/WinPath.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// Pieces this large are written straight from the caller's bytes; smaller ones are gathered first.
constexpr qsizetype kBufferSize = 256 * 1024;
constexpr qsizetype kDirectSize = 64 * 1024;

const QByteArray kTempInfix = ".velmora-";
const QByteArray kTempSuffix = ".tmp";

} // namespace

AtomicFile::AtomicFile(const QString &fileName, const QString &failure) : name_(fileName), failure_(failure) {
    try {
        Open();
    } catch (...) {
        Discard();
        throw;
    }
}

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Fail(const QString &reason) {
    Discard();
    done_ = true;
    throw VelmoraError(failure_.arg(ShownPath(name_), reason));
}

void AtomicFile::FailErrno(int error) {
    Fail(SystemErrorText(error));
}

void AtomicFile::Open() {
    QString path = ResolveWinPath(name_);
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) FailErrno(EISDIR);
        if (!S_ISREG(st.st_mode)) Fail(QStringLiteral("它不是一般檔案。"));
        if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) Fail(QStringLiteral("檔案是唯讀的。"));
        existing_ = true;
        mode_ = st.st_mode & 07777;
        uid_ = st.st_uid;
        gid_ = st.st_gid;
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (!canonical.isEmpty()) path = canonical;
        ReadAttributes(QFile::encodeName(path));
    } else if (errno != ENOENT) {
        FailErrno(errno);
    }
    target_ = path;
    const qsizetype slash = path.lastIndexOf(u'/');
    folder_ = QFile::encodeName(slash <= 0 ? QStringLiteral("/") : path.left(slash));
    leaf_ = QFile::encodeName(path.mid(slash + 1));

    dirFd_ = ::open(folder_.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd_ < 0) FailErrno(errno);
    RemoveStaleTemporaries();
    buffer_.reserve(kBufferSize);

#ifdef O_TMPFILE
    // An unnamed file needs /proc to be given a name later (or the right to link any open file).
    if (::access("/proc/self/fd", X_OK) == 0 || ::geteuid() == 0) {
        fd_ = ::openat(dirFd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            unnamed_ = true;
            return;
        }
        // Not supported by this kernel or file system: fall back on a named file. Other errors
        // (no space, no right to write in the folder) would strike a named file as well.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) FailErrno(errno);
    }
#endif
    for (int attempt = 0;; ++attempt) {
        const QByteArray name = TemporaryName();
        fd_ = ::openat(dirFd_, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            tmpName_ = name;
            return;
        }
        if (errno != EEXIST || attempt >= 100) FailErrno(errno);
    }
}

// The name's first part: the target's name, cut short enough that the whole stays within the 255
// bytes a name may have.
QByteArray AtomicFile::TemporaryPrefix() const {
    return '.' + leaf_.left(200) + kTempInfix;
}

QByteArray AtomicFile::TemporaryName() const {
    return TemporaryPrefix() + QByteArray::number(qint64(::getpid())) + '-' +
           QByteArray::number(QRandomGenerator::global()->generate(), 16) + kTempSuffix;
}

// Temporary files of this target left by processes that were killed while they saved: their names
// carry the process id. Those of a process still running (another save under way) are left alone.
void AtomicFile::RemoveStaleTemporaries() {
    const int fd = ::dup(dirFd_);
    if (fd < 0) return;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    const QByteArray prefix = TemporaryPrefix();
    const pid_t self = ::getpid();
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(prefix) || !name.endsWith(kTempSuffix)) continue;
        const QByteArray middle = name.mid(prefix.size(), name.size() - prefix.size() - kTempSuffix.size());
        const qsizetype dash = middle.indexOf('-');
        bool pidOk = false;
        bool randomOk = false;
        const qint64 pid = middle.left(dash).toLongLong(&pidOk);
        middle.mid(dash + 1).toULongLong(&randomOk, 16);
        if (dash <= 0 || !pidOk || !randomOk || pid <= 0 || pid == self) continue;
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH) ::unlinkat(dirFd_, name.constData(), 0);
    }
    ::closedir(dir);
}

void AtomicFile::Write(QByteArrayView bytes) {
    if (done_) Fail(QStringLiteral("檔案已經關閉。"));
    if (bytes.size() >= kDirectSize) {
        FlushBuffer();
        WriteOut(bytes.data(), bytes.size());
        return;
    }
    if (buffer_.size() + bytes.size() > kBufferSize) FlushBuffer();
    buffer_.append(bytes.data(), bytes.size());
}

void AtomicFile::FlushBuffer() {
    if (buffer_.isEmpty()) return;
    WriteOut(buffer_.constData(), buffer_.size());
    buffer_.resize(0);
}

void AtomicFile::WriteOut(const char *data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size_t(qMin<qsizetype>(size, 1 << 30)));
        if (n < 0) {
            if (errno == EINTR) continue;
            FailErrno(errno);
        }
        if (n == 0) FailErrno(EIO);
        data += n;
        size -= n;
    }
}

// Gives the unnamed file a name in the folder, for the rename; false with errno set when it cannot.
// Through /proc any process may link a file it holds open; without /proc only one with the right to
// link any open file (AT_EMPTY_PATH).
bool AtomicFile::LinkUnnamed() {
#ifdef O_TMPFILE
    const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = TemporaryName();
        if (::linkat(AT_FDCWD, procPath.constData(), dirFd_, name.constData(), AT_SYMLINK_FOLLOW) != 0) {
            const int error = errno;
            if (error == EEXIST) continue;
            if (error != ENOENT || ::linkat(fd_, "", dirFd_, name.constData(), AT_EMPTY_PATH) != 0) {
                if (errno == EEXIST) continue;
                errno = error;
                return false;
            }
        }
        tmpName_ = name;
        unnamed_ = false;
        return true;
    }
    errno = EEXIST;
#endif
    return false;
}

void AtomicFile::Commit() {
    CommitIf(nullptr);
}

bool AtomicFile::CommitIf(const std::function<bool()> &stillSame, const FileStamp *replacing) {
    if (done_) Fail(QStringLiteral("檔案已經關閉。"));
    FlushBuffer();
    if (existing_) {
        // The owner first: changing it may clear the set-id bits that the mode then puts back.
        if (::geteuid() == 0) (void)!::fchown(fd_, uid_, gid_);
        (void)!::fchmod(fd_, mode_);
        CopyAttributes(); // after the mode: an access control list sets the group bits itself
    }
    if (::fsync(fd_) != 0) FailErrno(errno);
    if (unnamed_ && !LinkUnnamed()) FailErrno(errno);
    committed_ = FileStamp::OfDescriptor(fd_);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) FailErrno(errno);
    if (stillSame && !stillSame()) {
        Discard();
        done_ = true;
        return false;
    }
    if (replacing && replacing->Exists() &&
        ::renameat2(dirFd_, tmpName_.constData(), dirFd_, leaf_.constData(), RENAME_EXCHANGE) == 0) {
        // The old file now has the temporary name: it must be the one the check saw.
        struct stat st;
        const bool same =
            ::fstatat(dirFd_, tmpName_.constData(), &st, 0) == 0 && quint64(st.st_dev) == replacing->device &&
            quint64(st.st_ino) == replacing->inode && qint64(st.st_size) == replacing->size &&
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec == replacing->modifiedNs;
        if (!same) {
            // Another program's file came in between: it goes back under its name.
            if (::renameat2(dirFd_, tmpName_.constData(), dirFd_, leaf_.constData(), RENAME_EXCHANGE) != 0)
                FailErrno(errno);
            Discard();
            done_ = true;
            return false;
        }
        ::unlinkat(dirFd_, tmpName_.constData(), 0);
    } else if (::renameat(dirFd_, tmpName_.constData(), dirFd_, leaf_.constData()) != 0) {
        FailErrno(errno);
    }
    tmpName_.clear();
    done_ = true;
    // The rename itself on disk. The file is replaced already, so a failure here is not reported.
    ::fsync(dirFd_);
    Discard();
    return true;
}

// The old file's extended attributes (a desktop's tags, an access control list as
// system.posix_acl_access), read when the file is opened so that the new file gets them too.
void AtomicFile::ReadAttributes(const QByteArray &path) {
    QByteArray names;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const ssize_t size = ::listxattr(path.constData(), nullptr, 0);
        if (size <= 0) return; // none, or not supported here
        names.resize(size);
        const ssize_t got = ::listxattr(path.constData(), names.data(), size_t(size));
        if (got >= 0) {
            names.resize(got);
            break;
        }
        if (errno != ERANGE) return;
        names.clear(); // grew meanwhile: ask again
    }
    for (const QByteArray &name : names.split('\0')) {
        if (name.isEmpty()) continue;
        QByteArray value;
        ssize_t size = ::getxattr(path.constData(), name.constData(), nullptr, 0);
        if (size < 0) continue;
        value.resize(size);
        size = ::getxattr(path.constData(), name.constData(), value.data(), size_t(size));
        if (size < 0) continue;
        value.resize(size);
        attributes_.emplace_back(name, value);
    }
}

// Puts the old file's attributes on the new one. One the system refuses (a security label this process
// may not set, a file system without them) is left off and logged: the content matters more.
void AtomicFile::CopyAttributes() {
    for (const auto &[name, value] : attributes_) {
        if (::fsetxattr(fd_, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            qCWarning(lcPlatform) << "extended attribute not kept on" << target_ << name
                                  << SystemErrorText(errno);
    }
}

void AtomicFile::Discard() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tmpName_.isEmpty() && dirFd_ >= 0) {
        ::unlinkat(dirFd_, tmpName_.constData(), 0);
        tmpName_.clear();
    }
    if (dirFd_ >= 0) {
        ::close(dirFd_);
        dirFd_ = -1;
    }
    unnamed_ = false;
    buffer_ = QByteArray();
}
