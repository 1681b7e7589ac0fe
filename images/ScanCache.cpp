#include "images/ScanCache.h"

#include "images/JpegImage.h"
#include "images/PageView.h"

#include <utility>

ScanCache::ScanCache(qint64 byteBudget, QObject *parent) : QObject(parent), budget_(byteBudget) {
    // No thread to be had: scans are then decoded when they are shown, as without the cache, and a
    // scan the reader waits for is decoded on the window's thread (Request).
    try {
        prefetcher_ = std::thread([this] { Prefetching(); });
    } catch (const std::system_error &) {
    }
    try {
        requester_ = std::thread([this] { Requesting(); });
    } catch (const std::system_error &) {
    }
}

ScanCache::~ScanCache() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    for (std::thread *t : {&prefetcher_, &requester_})
        if (t->joinable())
            t->join();
}

QImage ScanCache::Find(const QString &path, QList<QImage> *halvings) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->path == path) {
            entries_.splice(entries_.begin(), entries_, it);
            if (halvings)
                *halvings = entries_.front().halvings;
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

namespace {
qint64 BytesOf(const QImage &picture, const QList<QImage> &halvings) {
    qint64 bytes = picture.sizeInBytes();
    for (const QImage &half : halvings)
        bytes += half.sizeInBytes();
    return bytes;
}
} // namespace

void ScanCache::KeepLocked(const QString &path, const QImage &picture, const QList<QImage> &halvings) {
    if (picture.isNull() || HasLocked(path))
        return;
    const qint64 size = BytesOf(picture, halvings);
    if (size > budget_)
        return;
    entries_.push_front(Entry{path, picture, halvings});
    bytes_ += size;
    while (bytes_ > budget_ && entries_.size() > 1) {
        bytes_ -= BytesOf(entries_.back().picture, entries_.back().halvings);
        entries_.pop_back();
    }
}

void ScanCache::Request(const QString &path) {
    if (!requester_.joinable()) {
        // No thread of its own: decoded here, and announced once the caller has returned.
        QMetaObject::invokeMethod(this, [this, path] { DecodeRequested(path); }, Qt::QueuedConnection);
        return;
    }
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

void ScanCache::Prefetch(const QStringList &paths, int halvings) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_ = paths;
        queueHalvings_ = halvings;
    }
    wake_.notify_all();
}

int ScanCache::BackgroundDecodes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return backgroundDecodes_;
}

void ScanCache::Prefetching() {
    for (;;) {
        QString path;
        int halvings = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.isEmpty(); });
            if (stopping_)
                return;
            path = queue_.takeFirst();
            halvings = queueHalvings_;
            if (HasLocked(path))
                continue;
        }
        QImage picture;
        QList<QImage> halved;
        try {
            picture = DecodeJpegFile(path);
            // The copies the first paint would otherwise make, in the window's time.
            halved = HalvedCopies(picture, halvings);
        } catch (...) {
            continue; // shown, and reported, when the reader gets there
        }
        std::lock_guard<std::mutex> lock(mutex_);
        ++backgroundDecodes_;
        KeepLocked(path, picture, halved);
    }
}

void ScanCache::Requesting() {
    for (;;) {
        QString wanted;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !request_.isEmpty(); });
            if (stopping_)
                return;
            wanted = std::exchange(request_, QString());
        }
        DecodeRequested(wanted);
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
