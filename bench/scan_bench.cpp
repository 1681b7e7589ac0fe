// Page scan figures: decoding a 2480 x 3508 JPEG with DecodeJpegFile beside djpeg on the same file,
// and painting one viewport of the page image at several zooms. Run with QT_QPA_PLATFORM=offscreen.
//   velmora-bench-scan [scan.jpg]
#include "bench/BenchRecord.h"
#include "images/JpegImage.h"
#include "images/ScanMarks.h"
#include "images/ScanWidgets.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using bench::Median;

// A page that looks like a scan to the encoder: off-white paper with grain and lines of dark strokes.
QString WriteScan(const QString &folder) {
    QImage page(2480, 3508, QImage::Format_RGB32);
    page.fill(qRgb(244, 240, 228));
    QRandomGenerator rng(42);
    for (int y = 0; y < page.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const int n = int(rng.bounded(12)) - 6;
            line[x] = qRgb(244 + std::min(n, 11), 240 + n, 228 + n);
        }
    }
    QPainter p(&page);
    p.setPen(QPen(QColor(40, 40, 50), 4));
    for (int row = 0; row < 60; ++row) {
        const int y = 200 + row * 52;
        for (int x = 150; x < 2300; x += 44) {
            const int w = 10 + int(rng.bounded(28)), h = 10 + int(rng.bounded(34));
            p.drawLine(x, y, x + w, y + h);
            p.drawLine(x + w, y, x, y + h);
        }
    }
    p.end();
    const QString path = folder + "/scan.jpg";
    page.save(path, "JPG", 85);
    return path;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : WriteScan(dir.path());
    const int runs = 9;

    std::vector<double> ours, djpeg;
    QImage picture;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        picture = DecodeJpegFile(path);
        ours.push_back(t.nsecsElapsed() / 1e6);

        QProcess process;
        t.start();
        process.start("djpeg", {"-outfile", "/dev/null", path});
        process.waitForFinished(-1);
        djpeg.push_back(t.nsecsElapsed() / 1e6);
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            std::fprintf(stderr, "djpeg failed: %s\n", process.readAllStandardError().constData());
            return 1;
        }
    }
    // djpeg's time includes starting the process, so the ratio slightly favours DecodeJpegFile.
    std::printf("scan %s: %dx%d\n", qPrintable(path), picture.width(), picture.height());
    std::printf("decode  DecodeJpegFile %.1f ms   djpeg %.1f ms   ratio %.2f  (median of %d)\n", Median(ours),
                Median(djpeg), Median(ours) / Median(djpeg), runs);
    bench::Figure decode{QStringLiteral("scan"),
                         QStringLiteral("loading a 2480 x 3508 scan"),
                         QStringLiteral("ms"),
                         ours,
                         QStringLiteral("djpeg decoding the same file (process included)"),
                         djpeg};
    decode.targetRatio = 1.2;
    bench::Emit(decode);

    PageImage image(nullptr);
    image.SetPicture(picture);
    for (const QSize viewport : {QSize(469, 692), QSize(800, 1000)}) {
        for (const double rate : {0.25, 0.5, 0.75, 1.0, 1.5, 2.0}) {
            image.resize(int(picture.width() * rate), int(picture.height() * rate));
            // A viewport in the middle of the page (or the whole page when it is smaller).
            const QRect target(std::max(0, (image.width() - viewport.width()) / 2),
                               std::max(0, (image.height() - viewport.height()) / 2), viewport.width(),
                               viewport.height());
            QImage screen(viewport, QImage::Format_RGB32);
            screen.fill(Qt::magenta);
            QElapsedTimer first;
            first.start();
            {
                QPainter p(&screen);
                p.translate(-target.topLeft());
                image.PaintRegion(p, target);
            }
            const double firstMs = first.nsecsElapsed() / 1e6;
            std::vector<double> paints;
            for (int i = 0; i < 15; ++i) {
                QElapsedTimer t;
                t.start();
                QPainter p(&screen);
                p.translate(-target.topLeft());
                image.PaintRegion(p, target);
                p.end();
                paints.push_back(t.nsecsElapsed() / 1e6);
            }
            // A viewport that was not painted would make any figure meaningless: compare its centre
            // with the page's pixel under it.
            const QPoint centre(viewport.width() / 2, viewport.height() / 2);
            const QPoint source((target.x() + centre.x()) / rate, (target.y() + centre.y()) / rate);
            const QRgb got = screen.pixel(centre), want = picture.pixel(source);
            const int diff = qAbs(qRed(got) - qRed(want)) + qAbs(qGreen(got) - qGreen(want)) +
                             qAbs(qBlue(got) - qBlue(want));
            std::printf("paint %dx%d at %3.0f%%: %.2f ms (median of 15; first paint %.1f ms)%s\n",
                        viewport.width(), viewport.height(), rate * 100, Median(paints), firstMs,
                        diff > 120 ? "  WRONG PIXELS" : "");
            if (viewport.width() == 800 && (rate == 0.25 || rate == 1.0 || rate == 2.0)) {
                bench::Figure f{QStringLiteral("scan"),
                                QStringLiteral("painting one 800 x 1000 viewport at %1 %").arg(rate * 100),
                                QStringLiteral("ms"), paints};
                f.targetMax = 16;
                f.note = QStringLiteral("first paint %1 ms").arg(firstMs, 0, 'f', 1) +
                         (diff > 120 ? QStringLiteral("; WRONG PIXELS") : QString());
                bench::Emit(f);
            }
        }
    }

    // 300 marks with their headwords spread over the page, painted over one 800 x 1000 viewport in the
    // middle, beside painting the page image alone (today's paint) in the same run.
    std::vector<ScanMark> marks;
    QRandomGenerator rng(7);
    const QString words = QStringLiteral("學而時習之不亦說乎有朋自遠方來樂知人不慍君子");
    for (int i = 0; i < 300; ++i) {
        QString label;
        for (int c = 0; c < 2 + int(rng.bounded(5)); ++c)
            label += words[int(rng.bounded(words.size()))];
        marks.push_back(
            {QPoint(100 + int(rng.bounded(2280)), 100 + int(rng.bounded(3300))), label, i % 10 == 0, {}});
    }
    ScanMarks overlayMarks;
    overlayMarks.Set(marks);
    overlayMarks.SetShowAll(true);
    for (const double rate : {0.25, 1.0, 2.0}) {
        image.resize(int(picture.width() * rate), int(picture.height() * rate));
        const QSize viewport(800, 1000);
        const QRect target(std::max(0, (image.width() - viewport.width()) / 2),
                           std::max(0, (image.height() - viewport.height()) / 2), viewport.width(),
                           viewport.height());
        QImage screen(viewport, QImage::Format_ARGB32_Premultiplied);
        std::vector<double> plain, withMarks;
        int shown = 0;
        for (const ScanMark &m : marks)
            shown += target.contains(QPoint(int(m.pos.x() * rate), int(m.pos.y() * rate))) ? 1 : 0;
        for (int i = 0; i < 16; ++i) {
            QElapsedTimer t;
            t.start();
            {
                QPainter p(&screen);
                p.translate(-target.topLeft());
                image.PaintRegion(p, target);
            }
            const double page = t.nsecsElapsed() / 1e6;
            t.start();
            {
                QPainter p(&screen);
                p.translate(-target.topLeft());
                p.setClipRect(target);
                overlayMarks.Paint(p, target, rate);
            }
            if (i > 0) { // the first run lays out the glyphs
                plain.push_back(page);
                withMarks.push_back(t.nsecsElapsed() / 1e6);
            }
        }
        std::printf("marks at %3.0f%%: %.2f ms for %d marks in view (page alone %.2f ms)\n", rate * 100,
                    Median(withMarks), shown, Median(plain));
        bench::Figure f{QStringLiteral("scan"),
                        QStringLiteral("painting 300 marks%1 over an 800 x 1000 viewport at %2 %")
                            .arg(rate >= ScanMarks::kLabelZoom ? QStringLiteral(" and labels") : QString())
                            .arg(rate * 100),
                        QStringLiteral("ms"),
                        withMarks,
                        QStringLiteral("painting the viewport's page image alone"),
                        plain};
        f.targetMax = 2;
        f.note = QStringLiteral("%1 marks in view").arg(shown);
        bench::Emit(f);
    }
    return 0;
}
