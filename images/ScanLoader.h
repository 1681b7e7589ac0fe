#pragma once
// Loading the page scans the pane shows: which fraction of a scan to decode for the zoom (below half
// size the decoder scales down itself), the scans decoded ahead and kept in a cache, and a large scan
// decoded on a worker thread while the window keeps answering.

#include "images/JpegImage.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

class ScanCache;

class ScanLoader : public QObject {
    Q_OBJECT
public:
    explicit ScanLoader(QObject *parent);

    struct Picture {
        QImage image;
        QSize natural;          // the scan's own size when the picture is a fraction of it, else invalid
        QList<QImage> halvings; // halved copies made ahead, when the cache had them
    };
    // The picture for a page shown at `shown` of its size (device pixels): from the cache, or decoded
    // now. A page asked for now supersedes a large one still decoding. Raises when it cannot be read.
    Picture Load(const QString &path, double shown);
    // After a zoom change: a finer picture when the one shown is too coarse for `shown`, else null.
    QImage Refine(const QString &path, double shown);

    // Too large to decode on the window's thread, and not at hand.
    bool IsLarge(const QString &path);
    // Decodes a large scan on the worker thread; LargeDecoded or LargeFailed follow unless another page
    // is asked for first.
    void Request(const QString &path);
    bool IsDecodingInBackground() const { return !pendingPath_.isEmpty(); }
    // The page shown now is another: the large scan on its way is not shown when it comes.
    void DropRequest() { pendingPath_.clear(); }
    // Decodes these scans ahead with the halved copies `halvings` draws from.
    void Prefetch(const QStringList &paths, int halvings);

Q_SIGNALS:
    void LargeDecoded(const QString &path, const QImage &picture);
    void LargeFailed(const QString &path, const QString &error);

private:
    static JpegScale ScaleFor(double shown);
    void Requested(const QString &path, bool ok, const QString &error);

    ScanCache *cache_;
    JpegScale decodedScale_ = JpegScale::Full; // of the picture last handed out
    QString pendingPath_;                      // the large scan being decoded
};
