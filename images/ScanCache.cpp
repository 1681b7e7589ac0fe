#include "images/ScanCache.h"

#include "images/JpegImage.h"

#include <utility>

ScanCache::ScanCache(qint64 byteBudget, QObject *parent) : QObject(parent), budget_(byteBudget) {
    try {
        worker_ = std::thread([this] { Work(); });
    } catch (const std::system_error &) {
        // No thread to be had: scans are then decoded when they are shown, as without the cache.
    }
}

ScanCache::~ScanCache() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

QImage ScanCache::Find(const QString &path) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->path == path) {
            entries_.splice(entries_.begin(), entries_, it);
            return entries_.front().picture;
        }
    }
    return QImage();
}

void ScanCache::Keep(const QString &path, const QImage &picture) {
    std::lock_guard<std::mutex> lock(mutex_);
    KeepLocked(path, picture);
}

bool ScanCache::HasLocked(const QString &path) const {
    for (const Entry &e : entries_)
        if (e.path == path)
            return true;
    return false;
}

void ScanCache::KeepLocked(const QString &path, const QImage &picture) {
    if (picture.isNull() || HasLocked(path))
        return;
    const qint64 size = picture.sizeInBytes();
    if (size > budget_)
        return;
    entries_.push_front(Entry{path, picture});
    bytes_ += size;
    while (bytes_ > budget_ && entries_.size() > 1) {
        bytes_ -= entries_.back().picture.sizeInBytes();
        entries_.pop_back();
    }
}

void ScanCache::Request(const QString &path) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        request_ = path;
    }
    wake_.notify_all();
}

QImage ScanCache::TakeRequested(const QString &path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (requestedPath_ != path)
        return QImage();
    requestedPath_.clear();
    return std::exchange(requestedPicture_, QImage());
}

void ScanCache::Prefetch(const QStringList &paths) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_ = paths;
    }
    wake_.notify_all();
}

int ScanCache::BackgroundDecodes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return backgroundDecodes_;
}

void ScanCache::Work() {
    for (;;) {
        QString path;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.isEmpty() || !request_.isEmpty(); });
            if (stopping_)
                return;
            if (!request_.isEmpty()) {
                const QString wanted = std::exchange(request_, QString());
                lock.unlock();
                DecodeRequested(wanted);
                continue;
            }
            path = queue_.takeFirst();
            if (HasLocked(path))
                continue;
        }
        QImage picture;
        try {
            picture = DecodeJpegFile(path);
        } catch (...) {
            continue; // shown, and reported, when the reader gets there
        }
        std::lock_guard<std::mutex> lock(mutex_);
        ++backgroundDecodes_;
        KeepLocked(path, picture);
    }
}

void ScanCache::DecodeRequested(const QString &path) {
    QImage picture;
    QString error;
    try {
        picture = DecodeJpegFile(path);
    } catch (const std::exception &e) {
        error = QString::fromUtf8(e.what());
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!picture.isNull()) {
            requestedPath_ = path;
            requestedPicture_ = picture;
        }
    }
    // Raised from the worker: the connection carries it to the window's thread.
    Q_EMIT Requested(path, !picture.isNull(), error);
}
