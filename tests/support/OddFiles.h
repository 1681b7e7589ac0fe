#pragma once
// Files that are not what they seem: a named pipe where a file is expected. A reader that opens the pipe
// and waits for a writer is set free after a while (a writer comes, writes nothing and goes), so that a
// test of a reader that blocks fails on what it read instead of hanging.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

inline bool MakeFifo(const QString &path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

class FifoReleaser {
public:
    explicit FifoReleaser(const QString &path, int afterMs = 3000)
        : path_(QFile::encodeName(path)), thread_([this, afterMs] { Run(afterMs); }) {}
    ~FifoReleaser() {
        stop_ = true;
        thread_.join();
    }
    FifoReleaser(const FifoReleaser &) = delete;
    FifoReleaser &operator=(const FifoReleaser &) = delete;
    // Whether some reader had the pipe open (and waited on it) when the releaser came.
    bool releasedAReader() const { return released_; }

private:
    void Run(int afterMs) {
        const auto start = std::chrono::steady_clock::now();
        while (!stop_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(afterMs)) continue;
            // Opening for writing without blocking succeeds only while a reader has the pipe open.
            const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                released_ = true;
                ::close(fd);
            }
        }
    }
    QByteArray path_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> released_{false};
    std::thread thread_;
};
