#pragma once
// Faults that only a separate process can suffer: a file-size limit, a memory limit, a thread limit,
// a full disk, a kill. The code under test runs in a forked child; what it reports and how it ended
// come back to the test through a pipe and waitpid.

#include "common/Error.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <exception>
#include <functional>
#include <new>
#include <system_error>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

struct ChildOutcome {
    // How the child ended: exit code, or the signal that ended it (0 when it exited).
    int exitCode = -1;
    int signal = 0;
    // "ok" when the body returned; "VelmoraError: <message>" or "<exception type>: <what>" when it threw;
    // then whatever the body appended to its report.
    QByteArray report;

    bool threwVelmoraError() const { return signal == 0 && report.startsWith("VelmoraError: "); }
    bool succeeded() const { return signal == 0 && exitCode == 0 && report.startsWith("ok"); }
    QByteArray describe() const {
        return (signal ? "killed by signal " + QByteArray::number(signal)
                       : "exit " + QByteArray::number(exitCode)) +
               ", report: " + report;
    }
};

namespace faultchild {

inline void WriteAll(int fd, const QByteArray &bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += n;
    }
}

} // namespace faultchild

// Runs body(report) in a forked child. Exceptions are caught there and named in the report, so a test
// tells "the program's own error" from an exception of the standard library. The child ends with
// _exit: nothing of the test program's state is torn down twice.
inline ChildOutcome RunInChild(const std::function<void(QByteArray &report)> &body) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        QByteArray extra;
        QByteArray head;
        int code = 0;
        try {
            body(extra);
            head = "ok";
        } catch (const VelmoraError &e) {
            head = QByteArray("VelmoraError: ") + e.what();
            code = 2;
        } catch (const std::system_error &e) {
            head = QByteArray("std::system_error: ") + e.what();
            code = 3;
        } catch (const std::bad_alloc &e) {
            head = QByteArray("std::bad_alloc: ") + e.what();
            code = 4;
        } catch (const std::exception &e) {
            head = QByteArray("std::exception: ") + e.what();
            code = 5;
        } catch (...) {
            head = "unknown exception";
            code = 6;
        }
        faultchild::WriteAll(fds[1], head + "\n" + extra);
        ::_exit(code);
    }
    ::close(fds[1]);
    ChildOutcome out;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.report.append(buf, n);
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) out.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) out.signal = WTERMSIG(status);
    if (out.report.endsWith('\n')) out.report.chop(1);
    return out;
}

// In the child: files may grow to `bytes` at most; a write past it fails with EFBIG ("File too
// large") instead of raising SIGXFSZ. The limit holds for root as well.
inline void LimitFileSize(rlim_t bytes) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// The files of a folder, hidden ones included: after a failed or killed save only the saved file may be
// there.
inline QStringList FolderFiles(const QString &folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// In the child: a private mount namespace with a tmpfs of `bytes` mounted on `folder`, which vanishes
// with the child. Needs the right to mount (root); false when it is missing.
inline bool MountSmallDisk(const QString &folder, qint64 bytes) {
    if (::unshare(CLONE_NEWNS) != 0) return false;
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    const QByteArray options = "size=" + QByteArray::number(bytes);
    return ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) == 0;
}

// Fills the disk that holds `folder` with a file named `name` until no byte more fits, then gives
// `room` bytes back (rounded to whole pages by the file system). False when nothing could be written.
inline bool FillDisk(const QString &folder, const QString &name, qint64 room) {
    QFile f(QDir(folder).filePath(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    const QByteArray block(4096, 'f');
    qint64 size = 0;
    for (;;) {
        const qint64 n = f.write(block);
        if (n <= 0) break;
        size += n;
    }
    f.close();
    return QFile(f.fileName()).resize(qMax<qint64>(0, size - room)) && size > 0;
}
