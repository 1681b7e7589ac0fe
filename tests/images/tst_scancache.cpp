// Scans decoded ahead on the worker thread: found later without a decode, the latest request wins,
// the cache stays within its bytes, unreadable scans are passed over.
#include "images/ScanCache.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QString WriteScan(const QTemporaryDir &dir, const QString &name, int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    if (!image.save(path, "JPG", 90)) qFatal("cannot write %s", qPrintable(path));
    return path;
}
} // namespace

class TestScanCache : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void prefetchedScansAreFound() {
        QTemporaryDir dir;
        const QString a = WriteScan(dir, "a.jpg", 300, 400, qRgb(255, 0, 0));
        const QString b = WriteScan(dir, "b.jpg", 300, 400, qRgb(0, 0, 255));
        ScanCache cache(64 << 20);
        QVERIFY(cache.Find(a).isNull());
        cache.Prefetch({a, dir.filePath("missing.jpg"), b});
        QTRY_COMPARE(cache.BackgroundDecodes(), 2);
        // Each path finds its own picture, never the other's.
        QVERIFY(qRed(cache.Find(a).pixel(10, 10)) > 200);
        QVERIFY(qBlue(cache.Find(b).pixel(10, 10)) > 200);
        QVERIFY(cache.Find(dir.filePath("missing.jpg")).isNull());
        // Asked again: nothing is decoded twice.
        cache.Prefetch({a, b});
        QTest::qWait(100);
        QCOMPARE(cache.BackgroundDecodes(), 2);
    }

    void boundedInBytes() {
        QTemporaryDir dir;
        QStringList paths;
        for (int i = 0; i < 4; ++i)
            paths << WriteScan(dir, QString("s%1.jpg").arg(i), 500, 500,
                               qRgb(0, 200, 0)); // 1 MB decoded each
        ScanCache cache(2'200'000);
        for (const QString &p : paths) {
            cache.Prefetch({p});
            QTRY_VERIFY(!cache.Find(p).isNull());
        }
        // The two used last stay; the older ones went to keep the budget.
        QVERIFY(cache.Find(paths[0]).isNull());
        QVERIFY(cache.Find(paths[1]).isNull());
        QVERIFY(!cache.Find(paths[2]).isNull());
        QVERIFY(!cache.Find(paths[3]).isNull());
    }

    void newerRequestReplacesOlder() {
        QTemporaryDir dir;
        QStringList many;
        for (int i = 0; i < 30; ++i)
            many << WriteScan(dir, QString("m%1.jpg").arg(i), 1200, 1600, qRgb(128, 128, 128));
        const QString wanted = WriteScan(dir, "wanted.jpg", 100, 100, qRgb(0, 0, 0));
        ScanCache cache(1LL << 30);
        cache.Prefetch(many);
        cache.Prefetch({wanted});
        QTRY_VERIFY(!cache.Find(wanted).isNull());
        // Most of the first request was dropped once the second came.
        QVERIFY2(cache.BackgroundDecodes() < 30, qPrintable(QString::number(cache.BackgroundDecodes())));
    }

    // A person who moves on from a large page does not wait for its decode, nor pay a core for it:
    // the decode under way stops, and only the page asked for last is announced.
    void supersededDecodeStops() {
        QTemporaryDir dir;
        QImage noise(6000, 6000, QImage::Format_RGB32); // noise decodes slowly: well over a second here
        quint32 state = 12345;
        for (int y = 0; y < noise.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(noise.scanLine(y));
            for (int x = 0; x < noise.width(); ++x) {
                state = state * 1664525u + 1013904223u;
                line[x] = 0xFF000000u | (state >> 8);
            }
        }
        const QString big = dir.filePath("big.jpg");
        QVERIFY(noise.save(big, "JPG", 95));
        noise = QImage();
        const QString small = WriteScan(dir, "small.jpg", 100, 100, qRgb(0, 0, 0));
        ScanCache cache(1LL << 30);
        QStringList announced;
        connect(&cache, &ScanCache::Requested,
                [&](const QString &path, bool, const QString &) { announced << path; });
        cache.Request(big);
        QTest::qWait(150); // under way by now
        cache.Request(small);
        QTRY_COMPARE(announced, QStringList{small});
        QTRY_COMPARE(cache.AbandonedDecodes(), 1);
        QTest::qWait(200);
        QCOMPARE(announced, QStringList{small});
        QVERIFY(cache.TakeRequested(big).isNull());
    }
};

QTEST_GUILESS_MAIN(TestScanCache)
#include "tst_scancache.moc"
