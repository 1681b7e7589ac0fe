#include "images/ScanLoader.h"

#include "images/ScanCache.h"
#include "platform/WinPath.h"
#include "widgets/ErrorBoundary.h"

#include <QImageReader>

namespace {
// Room for the page shown and its neighbours on either side: a page scan takes about 35 MB decoded.
constexpr qint64 kScanCacheBytes = 160LL << 20;
// Scans above this size (a page scan has about 9 million pixels) are decoded off the window's thread.
constexpr qint64 kLargeScanPixels = 40'000'000;
} // namespace

ScanLoader::ScanLoader(QObject *parent) : QObject(parent), cache_(new ScanCache(kScanCacheBytes, this)) {
    connect(
        cache_, &ScanCache::Requested, this,
        Guarded([this](const QString &path, bool ok, const QString &error) { Requested(path, ok, error); }));
}

JpegScale ScanLoader::ScaleFor(double shown) {
    if (shown < 0.125) return JpegScale::Eighth;
    if (shown < 0.25) return JpegScale::Quarter;
    if (shown < 0.5) return JpegScale::Half;
    return JpegScale::Full;
}

ScanLoader::Picture ScanLoader::Load(const QString &path, double shown) {
    pendingPath_.clear(); // a page asked for now supersedes one still decoding
    Picture result;
    // A scan decoded ahead costs nothing here; any other is decoded now and kept for a return.
    result.image = cache_->Find(path, &result.halvings);
    decodedScale_ = JpegScale::Full;
    if (!result.image.isNull()) return result;
    // Below half size the decoder itself decodes at 1/2, 1/4 or 1/8: a fraction of the work and the
    // memory; the full picture comes when the zoom grows past it.
    const JpegScale scale = ScaleFor(shown);
    if (scale != JpegScale::Full) result.natural = QImageReader(ResolveWinPath(path), "jpeg").size();
    if (result.natural.isValid()) {
        result.image = DecodeJpegFile(path, scale);
        decodedScale_ = scale;
    } else {
        result.image = DecodeJpegFile(path);
        cache_->Keep(path, result.image);
    }
    return result;
}

QImage ScanLoader::Refine(const QString &path, double shown) {
    const JpegScale wanted = ScaleFor(shown);
    if (path.isEmpty() || int(wanted) >= int(decodedScale_))
        return QImage(); // the picture at hand is fine enough for the new zoom
    QImage finer = wanted == JpegScale::Full ? cache_->Find(path) : QImage();
    if (finer.isNull()) finer = DecodeJpegFile(path, wanted);
    if (wanted == JpegScale::Full) cache_->Keep(path, finer);
    decodedScale_ = wanted;
    return finer;
}

bool ScanLoader::IsLarge(const QString &path) {
    if (!cache_->Find(path).isNull()) return false; // at hand already
    const QSize size = QImageReader(ResolveWinPath(path), "jpeg").size();
    return size.isValid() && qint64(size.width()) * size.height() > kLargeScanPixels;
}

void ScanLoader::Request(const QString &path) {
    pendingPath_ = path;
    cache_->Request(path);
}

void ScanLoader::Requested(const QString &path, bool ok, const QString &error) {
    if (path != pendingPath_) return; // superseded by a later page: this picture is not shown
    pendingPath_.clear();
    if (!ok) {
        Q_EMIT LargeFailed(path, error);
        return;
    }
    const QImage picture = cache_->TakeRequested(path);
    if (picture.isNull()) return;
    decodedScale_ = JpegScale::Full;
    Q_EMIT LargeDecoded(path, picture);
}

void ScanLoader::Prefetch(const QStringList &paths, int halvings) {
    cache_->Prefetch(paths, halvings);
}
