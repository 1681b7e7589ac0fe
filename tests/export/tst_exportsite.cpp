// The exported site in a real browser: headless Chromium opens an entry page from disk, with no script
// and no network, and its picture shows the entry's text beside the crop of its scan.
#include "support/ExportFixture.h"

#include <QDir>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class TestExportSite : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entryPageInChromium() {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty()) QSKIP("chromium is not installed (scripts/install-deps.sh installs it)");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString notes = WriteExportLibrary(dir.filePath(QStringLiteral("lib")));
        const QString site = dir.filePath(QStringLiteral("site"));
        const NotesRun r = RunNotes(QStringLiteral(VELMORA_NOTES_PROGRAM),
                                    {"export", "--format", "html", "--output", site, notes}, dir.path());
        QCOMPARE(r.status, 0);

        const QString shot = dir.filePath(QStringLiteral("entry.png"));
        QStringList args{"--headless",
                         "--disable-gpu",
                         "--no-first-run",
                         "--disable-background-networking",
                         "--disable-component-update",
                         "--disable-sync",
                         "--hide-scrollbars",
                         "--user-data-dir=" + dir.filePath(QStringLiteral("profile")),
                         "--window-size=1200,900",
                         "--screenshot=" + shot,
                         QUrl::fromLocalFile(site + QStringLiteral("/K/00002.html")).toString()};
        if (::geteuid() == 0) args.prepend(QStringLiteral("--no-sandbox")); // the sandbox cannot run as root
        QProcess browser;
        browser.start(chromium, args);
        QVERIFY(browser.waitForFinished(120000));
        QVERIFY2(browser.exitCode() == 0, browser.readAllStandardError().constData());

        const QImage image(shot);
        QVERIFY2(!image.isNull(), "no screenshot");
        // The text of the entry (dark pixels) and the scan's blue block in the crop beside it: the
        // browser let the page show its own picture and nothing else was needed.
        qint64 dark = 0, blue = 0, blueRight = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.lightness() < 90 && qAbs(c.red() - c.blue()) < 40) ++dark;
                if (c.blue() > 150 && c.red() < 90 && c.green() < 110) {
                    ++blue;
                    blueRight += x > image.width() / 2;
                }
            }
        QVERIFY2(dark > 200, qPrintable(QStringLiteral("text pixels: %1").arg(dark)));
        QVERIFY2(blue > 5000, qPrintable(QStringLiteral("crop pixels: %1").arg(blue)));
        QVERIFY2(blueRight > blue / 2, "the crop stands right of the entry");
    }
};

QTEST_GUILESS_MAIN(TestExportSite)
#include "tst_exportsite.moc"
