#include "images/ScanCache.h"

#include "common/Log.h"

#include "images/JpegImage.h"
#include "images/ScanWidgets.h"

#include <utility>

ScanCache::ScanCache(qint64 byteBudget, QObject *parent) : QObject(parent), budget_(byteBudget) {
    // No thread to be had: scans are then decoded when they are shown, as without the cache, and a
    // scan the reader waits for is decoded on the window's thread (Request).
    try {
        prefetcher_ = std::thread([this] { Prefetching(); });
    } catch (const std::system_error &) {
        qCInfo(lcImages) << "no thread for decoding ahead; scans are decoded when shown";
    }
    try {
        requester_ = std::thread([this] { Requesting(); });
    } catch (const std::system_error &) {
        qCInfo(lcImages) << "no thread for large scans; they are decoded on the window's thread";
    }
}

ScanCache::~ScanCache() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    stop_ = true;
    wake_.notify_all();
    for (std::thread *t : {&prefetcher_, &requester_})
        if (t->joinable()) t->join();
}

QImage ScanCache::Find(const QString &path, QList<QImage> *halvings) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->path == path) {
            entries_.splice(entries_.begin(), entries_, it);
            if (halvings) *halvings = entries_.front().halvings;
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
        if (e.path == path) return true;
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
    if (picture.isNull() || HasLocked(path)) return;
    const qint64 size = BytesOf(picture, halvings);
    if (size > budget_) return;
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
        QMetaObject::invokeMethod(
            this, [this, path] { DecodeRequested(path, requestCount_); }, Qt::QueuedConnection);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (path == requestDecoding_) {
            request_.clear(); // the decode under way answers this request too
            return;
        }
        request_ = path;
        ++requestCount_; // a decode of another page under way stops
    }
    wake_.notify_all();
}

QImage ScanCache::TakeRequested(const QString &path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (requestedPath_ != path) return QImage();
    requestedPath_.clear();
    return std::exchange(requestedPicture_, QImage());
}

void ScanCache::Prefetch(const QStringList &paths, int halvings) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_ = paths;
        queueHalvings_ = halvings;
    }
    ++prefetchCount_;
    wake_.notify_all();
}

int ScanCache::BackgroundDecodes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return backgroundDecodes_;
}

int ScanCache::AbandonedDecodes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return abandonedDecodes_;
}

void ScanCache::Prefetching() {
    for (;;) {
        QString path;
        int halvings = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.isEmpty(); });
            if (stopping_) return;
            path = queue_.takeFirst();
            halvings = queueHalvings_;
            if (HasLocked(path)) continue;
        }
        // Given up when the cache closes, or when a newer Prefetch no longer lists this scan.
        quint64 seen = prefetchCount_;
        bool wanted = true;
        auto abandon = [&] {
            if (stop_) return true;
            if (prefetchCount_ != seen) {
                std::lock_guard<std::mutex> lock(mutex_);
                seen = prefetchCount_;
                wanted = queue_.contains(path);
                if (wanted) queue_.removeAll(path); // being decoded already
            }
            return !wanted;
        };
        QImage picture;
        QList<QImage> halved;
        try {
            picture = DecodeJpegFile(path, JpegScale::Full, abandon);
            // The copies the first paint would otherwise make, in the window's time.
            halved = HalvedCopies(picture, halvings);
        } catch (const JpegDecodeAbandoned &) {
            std::lock_guard<std::mutex> lock(mutex_);
            ++abandonedDecodes_;
            continue;
        } catch (const std::exception &e) {
            // Shown, and reported, when the reader gets there.
            qCDebug(lcImages) << "decode ahead failed:" << path << e.what();
            continue;
        } catch (...) {
            qCDebug(lcImages) << "decode ahead failed:" << path;
            continue;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        ++backgroundDecodes_;
        KeepLocked(path, picture, halved);
    }
}

void ScanCache::Requesting() {
    for (;;) {
        QString wanted;
        quint64 asked = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !request_.isEmpty(); });
            if (stopping_) return;
            wanted = std::exchange(request_, QString());
            requestDecoding_ = wanted;
            asked = requestCount_;
        }
        DecodeRequested(wanted, asked);
        std::lock_guard<std::mutex> lock(mutex_);
        requestDecoding_.clear();
    }
}

void ScanCache::DecodeRequested(const QString &path, quint64 asked) {
    QImage picture;
    QString error;
    // Given up when the cache closes or another page is requested after this one.
    try {
        picture =
            DecodeJpegFile(path, JpegScale::Full, [this, asked] { return stop_ || requestCount_ != asked; });
    } catch (const JpegDecodeAbandoned &) {
        std::lock_guard<std::mutex> lock(mutex_);
        ++abandonedDecodes_;
        return; // nobody waits for it
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
