#pragma once
// Decoded page scans kept at hand, and the scans the reader is likely to want next decoded ahead on a
// worker thread, so that stepping onto the next page costs no decode. The cache is bounded in bytes;
// the least recently used pictures go first. A scan the reader waits for is decoded on a thread of its
// own, never behind the scans decoded ahead. (Decoding ahead keeps the usual priority: at a lower one
// it starves whenever anything else keeps the processor busy, and the reader then waits for every
// scan.)

#include <QImage>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

class ScanCache : public QObject {
    Q_OBJECT
public:
    explicit ScanCache(qint64 byteBudget, QObject *parent = nullptr);
    ~ScanCache() override;

    // The picture of `path` when it has been decoded already; a null image otherwise. `halvings`, when
    // given, receives the halved copies made with it (see HalvingsFor).
    QImage Find(const QString &path, QList<QImage> *halvings = nullptr);
    // Keeps a picture decoded elsewhere.
    void Keep(const QString &path, const QImage &picture);
    // Decodes these scans in the background, in this order, each with as many halved copies as the
    // viewer's zoom needs; a newer call replaces what an older one asked for and has not started, and
    // abandons a decode under way that it no longer asks for.
    // Scans that cannot be read are passed over quietly (the viewer reports them when they are shown).
    void Prefetch(const QStringList &paths, int halvings = 0);
    // How many scans have been decoded ahead so far.
    int BackgroundDecodes() const;
    // How many decodes were given up because what they decoded was no longer wanted.
    int AbandonedDecodes() const;
    // Decodes one scan the reader is waiting for, before anything prefetched; Requested is raised on
    // the window's thread when it is done (ok false: it could not be read, `error` says why). The
    // picture is then at hand through TakeRequested, however large. A newer request replaces an older
    // one that has not started and abandons one under way (which then raises no Requested): a person
    // who moved on does not wait for, nor pay a core for, the page left behind.
    void Request(const QString &path);
    QImage TakeRequested(const QString &path);

Q_SIGNALS:
    void Requested(const QString &path, bool ok, const QString &error);

private:
    struct Entry {
        QString path;
        QImage picture;
        QList<QImage> halvings;
    };
    void Prefetching();
    void Requesting();
    void DecodeRequested(const QString &path, quint64 asked);
    void KeepLocked(const QString &path, const QImage &picture, const QList<QImage> &halvings = {});
    bool HasLocked(const QString &path) const;

    const qint64 budget_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::list<Entry> entries_; // most recently used first
    qint64 bytes_ = 0;
    QStringList queue_;
    int queueHalvings_ = 0;
    QString request_;       // waiting to be decoded first
    QString requestedPath_; // decoded, not yet taken
    QImage requestedPicture_;
    bool stopping_ = false;
    std::atomic<bool> stop_{false};         // stopping_, read by decodes under way without the lock
    std::atomic<quint64> requestCount_{0};  // Request calls so far
    std::atomic<quint64> prefetchCount_{0}; // Prefetch calls so far
    QString requestDecoding_;               // the request being decoded now
    int abandonedDecodes_ = 0;
    int backgroundDecodes_ = 0;
    std::thread prefetcher_;
    std::thread requester_;
};
