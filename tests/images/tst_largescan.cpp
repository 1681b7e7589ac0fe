// A large scan is decoded off the window's thread: the window keeps answering, the entry is shown on
// its page once the picture is there, and a page asked for meanwhile wins: a superseded decode never
// shows its picture.
#include "corpus/Data.h"
#include "images/PageViewer.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/PageView.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
void WriteScan(const QString &path, int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    if (!image.save(path, "JPG", 50))
        qFatal("cannot write %s", qPrintable(path));
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

QTEST_MAIN(TestLargeScan)
#include "tst_largescan.moc"
