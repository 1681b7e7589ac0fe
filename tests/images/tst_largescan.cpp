// A large scan is decoded off the window's thread: the window keeps answering, the entry is shown on
// its page once the picture is there, and a page asked for meanwhile wins: a superseded decode never
// shows its picture.
#include "corpus/Data.h"
#include "images/PageViewer.h"
#include "images/ScanCache.h"
#include "images/ScanWidgets.h"
#include "widgets/ErrorBoundary.h"

#include <QAbstractScrollArea>
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

namespace {
void WriteScan(const QString &path, int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    if (!image.save(path, "JPG", 50)) qFatal("cannot write %s", qPrintable(path));
}
NoteEntry OnPage(const QString &page) {
    NoteEntry e;
    e.pageImage = page;
    e.x = 100;
    e.y = 100;
    return e;
}
} // namespace

class TestLargeScan : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scaledDecodePaintsTheSamePage();
    void scanDecodedAheadBringsItsHalvings();
    void decodedInTheBackgroundAndSuperseded() {
        QStringList errors;
        SetErrorDisplayForTesting([&](const QString &m) { errors << m; });
        QTemporaryDir dir;
        const QString saved = QDir::currentPath();
        QDir::setCurrent(dir.path());
        WriteScan(dir.filePath("big.jpg"), 7000, 6000, qRgb(200, 200, 255)); // 42 megapixels
        WriteScan(dir.filePath("small.jpg"), 300, 400, qRgb(255, 255, 255));
        {
            PageViewer viewer(nullptr);
            viewer.resize(400, 400);
            viewer.show();
            auto *image = viewer.findChild<PageImage *>("Image");

            // Asked for, then superseded by a small page before the decode is done.
            viewer.ShowEntry(OnPage("big.jpg"));
            QVERIFY(viewer.IsDecodingInBackground());
            QCOMPARE(viewer.CurrentPath(), QString());
            viewer.ShowEntry(OnPage("small.jpg"));
            QVERIFY(!viewer.IsDecodingInBackground());
            QCOMPARE(viewer.CurrentPath(), QString("small.jpg"));
            QTest::qWait(3000); // the large decode finishes meanwhile and must not replace the page
            QCOMPARE(viewer.CurrentPath(), QString("small.jpg"));
            QCOMPARE(image->NaturalSize(), QSize(300, 400));

            // Asked for and waited for: the window answers while it decodes, then shows the entry.
            int ticks = 0;
            QTimer tick;
            connect(&tick, &QTimer::timeout, [&] { ++ticks; });
            tick.start(10);
            viewer.ShowEntry(OnPage("big.jpg"));
            QTRY_COMPARE_WITH_TIMEOUT(viewer.CurrentPath(), QString("big.jpg"), 30000);
            QCOMPARE(image->NaturalSize(), QSize(7000, 6000));
            QVERIFY(viewer.IsMarkerShown());
            QVERIFY2(ticks > 3, qPrintable(QString::number(ticks)));
        }
        QDir::setCurrent(saved);
        SetErrorDisplayForTesting(nullptr);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    }
};

void TestLargeScan::scaledDecodePaintsTheSamePage() {
    QTemporaryDir dir;
    const QString saved = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        // A page with lines and text, so that a wrong scale or offset shows.
        QImage page(2000, 1600, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        p.setPen(QPen(Qt::black, 6));
        for (int x = 0; x < 2000; x += 90)
            p.drawLine(x, 0, 2000 - x, 1600);
        QFont font;
        font.setPixelSize(120);
        p.setFont(font);
        p.drawText(QRect(100, 600, 1800, 400), Qt::AlignCenter, QStringLiteral("學而時習之"));
        p.end();
        QVERIFY(page.save(dir.filePath("page.jpg"), "JPG", 92));

        PageViewer viewer(nullptr);
        viewer.resize(500, 500);
        viewer.SetZoomFactor(0.3f);
        viewer.LoadPage("page.jpg");
        auto *image = viewer.findChild<PageImage *>("Image");
        QCOMPARE(image->NaturalSize(), QSize(2000, 1600));
        QCOMPARE(image->Picture().size(), QSize(1000, 800)); // decoded at half size
        QCOMPARE(image->size(), QSize(600, 480));            // sized from the page's own size

        // Painted at this zoom, the half-size decode looks as the full one does.
        PageImage full(nullptr);
        full.SetPicture(QImage(dir.filePath("page.jpg")).convertToFormat(QImage::Format_RGB32));
        full.resize(image->size());
        QImage a(image->size(), QImage::Format_RGB32), b(image->size(), QImage::Format_RGB32);
        {
            QPainter pa(&a), pb(&b);
            image->PaintRegion(pa, image->rect());
            full.PaintRegion(pb, full.rect());
        }
        qint64 sum = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                sum += qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
        const double mean = double(sum) / (a.width() * a.height());
        QVERIFY2(mean < 4.0, qPrintable(QString::number(mean)));

        // Zoomed past half size, the full picture is decoded; the sizes follow the zoom as before.
        QWidget *box = viewer.findChild<QAbstractScrollArea *>("ScrollBox")->viewport();
        for (int i = 0; i < 8 && viewer.ZoomFactor() < 0.5f; ++i) {
            QWheelEvent e(QPointF(10, 10), box->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, 120),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(box, &e);
        }
        QVERIFY(viewer.ZoomFactor() >= 0.5f);
        QCOMPARE(image->Picture().size(), QSize(2000, 1600));
        QCOMPARE(image->NaturalSize(), QSize(2000, 1600));
    }
    QDir::setCurrent(saved);
}

// Scans decoded ahead come with the halved copies the zoom draws from, so the first paint of the next
// page makes none; they paint exactly what copies made by the paint would.
void TestLargeScan::scanDecodedAheadBringsItsHalvings() {
    QTemporaryDir dir;
    QImage page(1600, 1200, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        for (int x = 0; x < 1600; x += 7)
            p.drawLine(x, 0, 1600 - x, 1200);
    }
    QVERIFY(page.save(dir.filePath("page.jpg"), "JPG", 92));
    const QString saved = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        PageViewer viewer(nullptr);
        viewer.resize(500, 500);
        viewer.SetZoomFactor(0.3f); // drawn from the picture halved once
        viewer.PrefetchScans({"page.jpg"});
        auto *cache = viewer.findChild<ScanCache *>();
        QTRY_COMPARE(cache->BackgroundDecodes(), 1);
        viewer.LoadPage("page.jpg");
        auto *image = viewer.findChild<PageImage *>("Image");
        QCOMPARE(image->Picture().size(), QSize(1600, 1200));
        QCOMPARE(image->HalvingsAtHand(), 1);

        PageImage reference(nullptr);
        reference.SetPicture(image->Picture());
        reference.resize(image->size());
        QCOMPARE(reference.HalvingsAtHand(), 0);
        QImage a(image->size(), QImage::Format_RGB32), b(image->size(), QImage::Format_RGB32);
        {
            QPainter pa(&a), pb(&b);
            image->PaintRegion(pa, image->rect());
            reference.PaintRegion(pb, reference.rect());
        }
        QCOMPARE(reference.HalvingsAtHand(), 1);
        QCOMPARE(a, b);

        // Copies that are not halvings of this picture are not taken.
        reference.SetPicture(image->Picture(), QSize(), {QImage(10, 10, QImage::Format_RGB32)});
        QCOMPARE(reference.HalvingsAtHand(), 0);
    }
    QDir::setCurrent(saved);
}

QTEST_MAIN(TestLargeScan)
#include "tst_largescan.moc"
