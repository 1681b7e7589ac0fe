// The demo library: its notes files read back through the real reader exactly as planned, the
// scans put each headword on the stored position, and every run writes the same bytes.

#include "tools/DemoLibrary.h"

#include "corpus/Data.h"
#include "corpus/NotesCheck.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace demo;

class TestDemo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void notesFilesReadBack();
    void notesFilesUseTheWholeFormat();
    void notesFilesPassTheChecker();
    void scanPutsHeadwordOnPosition_data();
    void scanPutsHeadwordOnPosition();
    void jpegRoundTrip();
    void wholeLibraryIsCompleteAndRepeatable();
};

static QString WriteTemp(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return QString();
    return path;
}

void TestDemo::notesFilesReadBack() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QList<DemoBook> books = BuildBooks();
    QCOMPARE(books.size(), 4);
    const QStringList names = {"velmora200_k.xml", "velmora200_M.xml", "velmora200_N.xml",
                               "velmora200_O.xml"};
    for (int b = 0; b < books.size(); ++b) {
        QCOMPARE(books[b].fileName, names[b]);
        const QString path = WriteTemp(dir, books[b].fileName, NotesFileBytes(books[b]));
        QVERIFY(!path.isEmpty());
        QCOMPARE(CheckNotesFile(path, books[b]), QString());

        Notebook nb;
        nb.LoadNotes(path);
        int entries = 0, positions = 0, pages = 0;
        for (const NoteEntry &e : nb.entries) {
            if (e.isPage) {
                ++pages;
                QCOMPARE(e.pageImage, QStringLiteral(".\\image\\%1\\%2.jpg")
                                          .arg(books[b].letter)
                                          .arg(e.title.mid(1, e.title.size() - 2)));
                continue;
            }
            ++entries;
            positions += e.x >= 0 ? 1 : 0;
            QVERIFY(!e.pageImage.isEmpty());
            QVERIFY(!e.content.isEmpty());
            QVERIFY(!e.source.isEmpty());
        }
        QVERIFY2(entries >= 50 && entries <= 90, qPrintable(QString::number(entries)));
        QVERIFY(positions > entries / 2 && positions < entries);
        QCOMPARE(pages, int(books[b].pages.size()));
    }
    // The check notices a record that reads back differently from the plan.
    DemoBook wrong = books[0];
    wrong.pages[1].entries[0].y += 1;
    QVERIFY(!CheckNotesFile(dir.filePath(books[0].fileName), wrong).isEmpty());
}

void TestDemo::notesFilesUseTheWholeFormat() {
    QByteArray all;
    for (const DemoBook &book : BuildBooks()) {
        const QByteArray bytes = NotesFileBytes(book);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(bytes.endsWith("\r\n"));
        // CR LF everywhere: as many LF as CR LF, no bare CR.
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
        all += bytes;
    }
    const QString text = QString::fromUtf8(all);
    const QStringList wanted = {
        "<?xml",
        "<page>K001</page>",
        "<page>M001</page>",
        "<page>N001</page>",
        "<page>O001</page>",
        "<條目>\u3000", // an indented headword
        "，\r\n",       // a headword or line broken after a comma
        "<座標 x=\"",
        "<span class=\"bc\">",
        "<span class=\"yc\">",
        "<span class=\"gc\">",
        "<span class=\"rc\">",
        "<span class=\"g2c\">",
        "<span class=\"g5c\">",
        "<span class=\"blue\">",
        "<span class=\"red\">",
        "<span class=\"bold\">",
        "<span class=\"underline\">",
    };
    for (const QString &w : wanted)
        QVERIFY2(text.contains(w), qPrintable(w));

    // Multi-line headwords and sections, entries without positions and without some sections.
    int multiHead = 0, multiContent = 0, multiRemark = 0, unplaced = 0, noNote = 0;
    for (const DemoBook &book : BuildBooks())
        for (const DemoPage &page : book.pages)
            for (const DemoEntry &e : page.entries) {
                multiHead += e.headword.size() > 1;
                multiContent += e.content.size() > 1;
                multiRemark += e.remark.size() > 1;
                unplaced += e.x < 0;
                noNote += e.note.isEmpty();
                for (const QStringList *s : {&e.content, &e.note, &e.remark, &e.source})
                    for (const QString &line : *s)
                        QVERIFY(!line.contains("<page>") && !line.contains("</條目>"));
            }
    QVERIFY(multiHead > 5);
    QVERIFY(multiContent > 10);
    QVERIFY(multiRemark > 10);
    QVERIFY(unplaced > 5);
    QVERIFY(noNote > 5);
}

// The checker finds nothing to say about the notes we ship, framing lines included.
void TestDemo::notesFilesPassTheChecker() {
    for (const DemoBook &book : BuildBooks()) {
        const NotesCheckResult r = CheckNotes(NotesText::FromBytes(NotesFileBytes(book)), book.fileName);
        QStringList problems;
        for (const NotesProblem &p : r.problems)
            problems << FormatProblem(book.fileName, p);
        QCOMPARE(problems, QStringList());
        QVERIFY(r.stopError.isEmpty());
        QVERIFY(r.entries > 0 && r.pages > 0);
    }
}

void TestDemo::scanPutsHeadwordOnPosition_data() {
    QTest::addColumn<int>("book"); // -1: the L pages
    QTest::addColumn<int>("page");
    QTest::newRow("K001") << 0 << 0;
    QTest::newRow("K002, indented headword") << 0 << 1;
    QTest::newRow("M005") << 1 << 4;
    QTest::newRow("O003, five entries") << 3 << 2;
    QTest::newRow("L001") << -1 << 0;
}

void TestDemo::scanPutsHeadwordOnPosition() {
    QFETCH(int, book);
    QFETCH(int, page);
    const DemoPage p = book < 0 ? LooseScanPages()[page] : BuildBooks()[book].pages[page];
    const QImage img = DrawScan(p, QStringLiteral("test"));
    QCOMPARE(img.size(), QSize(kScanWidth, kScanHeight));
    int checked = 0;
    for (const DemoEntry &e : p.entries) {
        if (e.x < 0) continue;
        // The ink of the first character, in a window that holds nothing else.
        const int cx = e.x - kOverlayShift, cy = e.y;
        int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
        for (int y = cy - 60; y < cy + 60; ++y)
            for (int x = cx - 60; x < cx + 44; ++x)
                if (qGray(img.pixel(x, y)) < 100) {
                    left = qMin(left, x), right = qMax(right, x);
                    top = qMin(top, y), bottom = qMax(bottom, y);
                }
        QVERIFY2(right >= 0, qPrintable(p.name));
        QVERIFY(right - left > 40 && bottom - top > 40); // a character, not a speck
        QVERIFY2(qAbs((left + right) / 2.0 - cx) <= 1.5 && qAbs((top + bottom) / 2.0 - cy) <= 1.5,
                 qPrintable(QStringLiteral("%1: ink %2..%3 x %4..%5, position %6,%7")
                                .arg(p.name)
                                .arg(left)
                                .arg(right)
                                .arg(top)
                                .arg(bottom)
                                .arg(e.x)
                                .arg(e.y)));
        ++checked;
    }
    QVERIFY(checked > 0);
}

void TestDemo::jpegRoundTrip() {
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(qRgb(200, 30, 40));
    const QByteArray jpeg = EncodeJpeg(img, 85);
    QVERIFY(jpeg.startsWith("\xFF\xD8"));
    QCOMPARE(EncodeJpeg(img, 85), jpeg);
    const QImage back = QImage::fromData(jpeg, "JPEG");
    if (!back.isNull()) { // only where Qt has its JPEG plugin
        QCOMPARE(back.size(), img.size());
        QVERIFY(qAbs(qRed(back.pixel(10, 10)) - 200) < 8);
    }
}

static QMap<QString, QByteArray> Hashes(const QString &root) {
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            out.insert(QDir(root).relativeFilePath(path),
                       QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1));
    }
    return out;
}

void TestDemo::wholeLibraryIsCompleteAndRepeatable() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.filePath("demo/nested"); // created on the way
    const Summary s = WriteDemoLibrary(root);
    QCOMPARE(s.notebooks, 4);
    QVERIFY(s.entries >= 200 && s.positions < s.entries);
    QCOMPARE(s.scans, s.pageLines + int(LooseScanPages().size()));
    const QMap<QString, QByteArray> first = Hashes(root);
    QCOMPARE(first.size(), 4 + s.scans + s.pdfs + 1);
    for (const char *name : {"velmora200_k.xml", "velmora200_M.xml", "velmora200_N.xml", "velmora200_O.xml",
                             "readme.pdf", "setup.ini", "Image/K/K001.jpg", "Image/L/L001.jpg",
                             "Image/O/O001.jpg", "PDF/K/K卷一.pdf", "PDF/M/M卷一.pdf"})
        QVERIFY2(first.contains(QString::fromUtf8(name)), name);
    for (const char *letter : {"K", "M", "N", "O"}) {
        const QStringList pdfs = QDir(root + "/PDF/" + letter).entryList({"*.pdf"});
        QVERIFY(!pdfs.isEmpty());
        for (const QString &pdf : pdfs)
            QVERIFY(pdf.startsWith(QLatin1String(letter)));
    }
    QFile ini(root + "/setup.ini");
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(),
             QByteArray("\xEF\xBB\xBF[System]\r\nTitle=") + QStringLiteral("澄溪導師筆記").toUtf8() + "\r\n");
    QFile readme(root + "/readme.pdf");
    QVERIFY(readme.open(QIODevice::ReadOnly));
    QVERIFY(readme.read(5) == "%PDF-");

    // A second run over the old files writes the same bytes.
    WriteDemoLibrary(root);
    const QMap<QString, QByteArray> second = Hashes(root);
    QCOMPARE(second.keys(), first.keys());
    for (auto it = first.begin(); it != first.end(); ++it)
        QVERIFY2(second.value(it.key()) == it.value(), qPrintable(it.key()));
}

QTEST_MAIN(TestDemo)
#include "tst_demo.moc"
