// The export through the real velmora-notes process: TEI (well-formed by xmllint and by our own
// checker; one div per entry; every facs a zone holding its entry's position), Markdown with crops,
// the static site, and what a failed or cancelled export leaves (nothing). Zones and markup in process.
#include "support/DrawnScan.h"
#include "support/ExportFixture.h"
#include "support/XmlCheck.h"

#include "common/Error.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"
#include "export/Citation.h"
#include "export/EntryZone.h"
#include "export/Export.h"
#include "export/ExportPlan.h"
#include "export/NotesMarkup.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

Q_DECLARE_METATYPE(DrawnHand)

namespace {

const QString kProgram = QStringLiteral(VELMORA_NOTES_PROGRAM);

QByteArray Read(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<NoteEntry> Records(const QString &notes) {
    QList<NoteEntry> records;
    WalkNotes(NotesText::Read(notes), notes, records);
    return records;
}

// Entries (the folder's listing, hidden ones too): a failed export must add none.
QStringList Listing(const QString &folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QSize JpegSizeOf(const QByteArray &jpeg) {
    tjhandle h = tjInitDecompress();
    int w = 0, ht = 0, sub = 0, cs = 0;
    const int rc = tjDecompressHeader3(h, reinterpret_cast<const unsigned char *>(jpeg.constData()),
                                       (unsigned long)jpeg.size(), &w, &ht, &sub, &cs);
    tjDestroy(h);
    return rc == 0 ? QSize(w, ht) : QSize();
}

struct TeiDoc {
    QString rootNamespace;
    QHash<QString, QRect> zones; // id -> ulx, uly to lrx, lry (exclusive)
    QHash<QString, QString> zoneSurface;
    QHash<int, QString> entryFacs; // record -> facs ("" when none)
    QHash<int, QString> entryXml;  // record -> its div as written
    QStringList pages;
};

TeiDoc ParseTei(const QByteArray &bytes) {
    TeiDoc doc;
    const QString text = QString::fromUtf8(bytes); // offsets count characters
    QXmlStreamReader xml(text);
    QString surface;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const auto a = xml.attributes();
        const QStringView name = xml.name();
        if (name == u"TEI")
            doc.rootNamespace = xml.namespaceUri().toString();
        else if (name == u"surface")
            surface = a.value(QLatin1String("xml:id")).toString();
        else if (name == u"zone") {
            const QString id = a.value(QLatin1String("xml:id")).toString();
            doc.zones[id] = QRect(
                QPoint(a.value(QLatin1String("ulx")).toInt(), a.value(QLatin1String("uly")).toInt()),
                QPoint(a.value(QLatin1String("lrx")).toInt() - 1, a.value(QLatin1String("lry")).toInt() - 1));
            doc.zoneSurface[id] = surface;
        } else if (name == u"pb")
            doc.pages << a.value(QLatin1String("n")).toString();
        else if (name == u"div" && a.value(QLatin1String("type")) == u"entry") {
            const int n = a.value(QLatin1String("n")).toInt();
            doc.entryFacs[n] = a.value(QLatin1String("facs")).toString();
            const qint64 start = xml.characterOffset();
            xml.skipCurrentElement();
            doc.entryXml[n] = text.mid(start, xml.characterOffset() - start);
        }
    }
    if (xml.hasError()) qWarning() << "TEI:" << xml.errorString();
    return doc;
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString lib_, notes_;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        lib_ = dir_.filePath(QStringLiteral("lib"));
        notes_ = WriteExportLibrary(lib_);
    }

    // TEI: well-formed, one div per entry record, each facs a zone on the entry's own scan holding its
    // position (clamped to the scan); the markup as TEI, what TEI has no word for kept as text.
    void tei() {
        const QString out = dir_.filePath(QStringLiteral("k.tei.xml"));
        const NotesRun r = RunNotes(kProgram, {"export", "--format", "tei", "--output", out, notes_}, lib_);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.isEmpty(), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QProcess lint;
        lint.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), out});
        QVERIFY(lint.waitForFinished(30000));
        QVERIFY2(lint.exitCode() == 0, lint.readAllStandardError().constData());
        const QByteArray bytes = Read(out);
        QCOMPARE(CheckXmlWellFormed(QString::fromUtf8(bytes)), QString());

        const TeiDoc doc = ParseTei(bytes);
        QCOMPARE(doc.rootNamespace, QStringLiteral("http://www.tei-c.org/ns/1.0"));
        QCOMPARE(doc.pages, (QStringList{"K1", "K2"}));
        const QList<NoteEntry> records = Records(notes_);
        int entries = 0;
        for (int i = 0; i < records.size(); ++i) {
            const NoteEntry &e = records[i];
            if (e.isPage) continue;
            ++entries;
            QVERIFY2(doc.entryFacs.contains(i), qPrintable(e.title));
            const QString facs = doc.entryFacs.value(i);
            const bool onScan = e.HasPosition() && !e.pageImage.isEmpty();
            QCOMPARE(!facs.isEmpty(), onScan);
            if (!onScan) continue;
            QVERIFY(facs.startsWith(u'#'));
            const QString zone = facs.mid(1);
            QVERIFY2(doc.zones.contains(zone), qPrintable(facs));
            const QPoint at(qMin(e.x, kScanWidth - 1), qMin(e.y, kScanHeight - 1));
            QVERIFY2(doc.zones[zone].contains(at), qPrintable(e.title));
            QVERIFY(QRect(0, 0, kScanWidth, kScanHeight).contains(doc.zones[zone]));
            // Its surface is its own page's.
            const QString page = e.pageImage.section(u'\\', -1).chopped(4);
            QVERIFY(doc.zoneSurface[zone].endsWith(QLatin1String("-scan")));
            QVERIFY(doc.pages.contains(page));
        }
        QCOMPARE(doc.entryFacs.size(), entries);
        // 學而 (record 2): the scan's layout finds the block written from its position on (rows 280 to
        // 339, columns 20 to 379), read at a quarter of the scan's size.
        const QRect block(QPoint(20, 280), QPoint(379, 339)), zone = doc.zones[doc.entryFacs[2].mid(1)];
        QVERIFY2(qAbs(zone.top() - block.top()) <= 4 && qAbs(zone.bottom() - block.bottom()) <= 4 &&
                     qAbs(zone.left() - block.left()) <= 4 && qAbs(zone.right() - block.right()) <= 4,
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(zone.x())
                                .arg(zone.y())
                                .arg(zone.width())
                                .arg(zone.height())));

        const QString first = doc.entryXml[2];
        for (const char *piece :
             {"<head>學而</head>", "子曰<lb/>「<hi rend=\"yc\">學</hi>」&amp;\u00A0<hi rend=\"bold\">粗</hi>",
              "&lt;img src=x&gt;，a &lt; b<lb/>次行 一 &amp;bogus; &lt;/span&gt;</p>",
              "<note type=\"collation\">校一</note>", "<note type=\"remark\">案一<lb/>案二</note>",
              "<bibl>《論語》</bibl>"})
            QVERIFY2(first.contains(QString::fromUtf8(piece)), piece);
        QVERIFY(doc.entryXml[3].contains(QStringLiteral("<head>第二條<lb/>續行</head>")));
        // Empty sections give no element; a span left open is closed where its section ends.
        QVERIFY(!doc.entryXml[5].contains(QLatin1String("<note")) &&
                !doc.entryXml[5].contains(QLatin1String("<p>")));
        QVERIFY(doc.entryXml[7].contains(QStringLiteral("<p>未閉<hi rend=\"red\">紅</hi></p>")));
    }

    // Markdown: a heading per page and per headword, labelled sections, and a crop per placed entry on
    // a scan: a JPEG of its zone (the block written there), and at most a block more above and left.
    void markdownWithCrops() {
        const QString out = dir_.filePath(QStringLiteral("md/k.md"));
        QDir().mkpath(dir_.filePath(QStringLiteral("md")));
        const QString crops = dir_.filePath(QStringLiteral("md/crops"));
        const NotesRun r = RunNotes(
            kProgram, {"export", "--format", "markdown", "--crops", crops, "--output", out, notes_}, lib_);
        QCOMPARE(r.status, 0);
        const QString md = QString::fromUtf8(Read(out));
        for (const char *piece :
             {"\n# K1\n\n## 學而\n\n**【內容】**　子曰<br>「<span class=\"yc\">學</span>」&amp;&nbsp;",
              "**【案語】**　案一<br>案二\n", "**【出處】**　《論語》\n", "![K1 學而](<crops/K-00002.jpg>)",
              "## 第二條 續行\n\n**【內容】**　二\n\n## 無座標\n",
              "## 空段\n\n**【內容】**　\n\n![K1 空段](<crops/K-00005.jpg>)", "# K2\n"})
            QVERIFY2(md.contains(QString::fromUtf8(piece)), qPrintable(md));
        QVERIFY(!md.contains(QLatin1String("K-00000.jpg"))); // placed, but on no scan
        QCOMPARE(md.count(QLatin1String("![")), 3);
        QCOMPARE(Listing(crops),
                 (QStringList{".velmora-export", "K-00002.jpg", "K-00005.jpg", "K-00007.jpg"}));
        const QSize size = JpegSizeOf(Read(crops + QStringLiteral("/K-00002.jpg")));
        QVERIFY2(size.width() >= 360 - 8 && size.width() < 360 + 8 + 16,
                 qPrintable(QString::number(size.width())));
        QVERIFY2(size.height() >= 60 - 8 && size.height() < 60 + 8 + 16,
                 qPrintable(QString::number(size.height())));
        // Run again into the same folder: the earlier export is replaced whole.
        QCOMPARE(
            RunNotes(kProgram, {"export", "--format", "markdown", "--crops", crops, notes_}, lib_).status, 0);
        QCOMPARE(Listing(crops).size(), 4);
    }

    // The site: an index of the notebooks, one page per entry in the reader's own style sheet beside
    // its crop, with links to the entries before and after it; nothing that runs or fetches.
    void site() {
        const QString out = dir_.filePath(QStringLiteral("site"));
        const NotesRun r = RunNotes(kProgram, {"export", "--format", "html", "--output", out, notes_}, lib_);
        QCOMPARE(r.status, 0);
        QVERIFY(Read(out + QStringLiteral("/index.html")).contains("<a href=\"K/index.html\">"));
        const QString page = QString::fromUtf8(Read(out + QStringLiteral("/K/00002.html")));
        for (const char *piece :
             {".blue {color: #0070C0;}", "Content-Security-Policy", "default-src 'none'",
              "<a href=\"00000.html\" rel=\"prev\">", "<a href=\"00003.html\" rel=\"next\">",
              "<img src=\"../crops/K-00002.jpg\"", "【條目】<br>學而"})
            QVERIFY2(page.contains(QString::fromUtf8(piece)), qPrintable(page));
        QVERIFY(!Read(out + QStringLiteral("/crops/K-00002.jpg")).isEmpty());
        const QString last = QString::fromUtf8(Read(out + QStringLiteral("/K/00007.html")));
        QVERIFY(last.contains(QLatin1String("rel=\"prev\"")) &&
                !last.contains(QLatin1String("rel=\"next\"")));
        QVERIFY(
            !QString::fromUtf8(Read(out + QStringLiteral("/K/00004.html"))).contains(QLatin1String("<img")));
    }

    // What goes wrong: a clear message, the status, and nothing half written beside the target.
    void failures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("written");
        QTest::newRow("unreadable notes")
            << QStringList{"--format", "tei", "--output", "OUT/x.xml", "missing.xml"} << 2 << "missing.xml"
            << false;
        QTest::newRow("folder of other files")
            << QStringList{"--format", "html", "--output", "OUT/busy", "NOTES"} << 2 << "已有其他檔案"
            << false;
        QTest::newRow("site without folder")
            << QStringList{"--format", "html", "NOTES"} << 2 << "--output" << false;
        QTest::newRow("unknown format") << QStringList{"--format", "pdf", "NOTES"} << 2 << "pdf" << false;
        QTest::newRow("missing scan")
            << QStringList{"--format", "tei", "--crops", "OUT/c", "--output", "OUT/x.xml", "BARE"} << 1
            << "K1.jpg" << true;
    }
    void failures() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        QFETCH(bool, written);
        QTemporaryDir out;
        QDir().mkpath(out.filePath(QStringLiteral("busy")));
        QFile mine(out.filePath(QStringLiteral("busy/mine.txt")));
        QVERIFY(mine.open(QIODevice::WriteOnly) && mine.write("keep") == 4);
        mine.close();
        const QString bare = out.filePath(QStringLiteral("bare"));
        WriteExportLibrary(bare, false);
        for (QString &a : args)
            a.replace(QLatin1String("OUT"), out.path())
                .replace(QLatin1String("NOTES"), notes_)
                .replace(QLatin1String("BARE"), bare + QStringLiteral("/velmora200_k.xml"));
        const QStringList before = Listing(out.path());
        const NotesRun r = RunNotes(kProgram, QStringList{"export"} + args, lib_);
        QCOMPARE(r.status, status);
        QVERIFY2(QString::fromUtf8(r.err).contains(message), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QCOMPARE(Read(out.filePath(QStringLiteral("busy/mine.txt"))), QByteArray("keep"));
        if (!written) {
            QCOMPARE(Listing(out.path()), before);
            return;
        }
        // A scan that cannot be read: the rest is written, its entries keep zones by their positions.
        QCOMPARE(Listing(out.path()), (QStringList{"bare", "busy", "c", "x.xml"}));
        QCOMPARE(Listing(out.filePath(QStringLiteral("c"))), QStringList{".velmora-export"});
        const TeiDoc doc = ParseTei(Read(out.filePath(QStringLiteral("x.xml"))));
        QVERIFY(doc.zones.value(doc.entryFacs.value(2).mid(1)).contains(QPoint(40, 300)));
    }

    // Cancelled half way (the window's cancel button, Ctrl+C at the command): no output file, no crops
    // folder, no temporary folder beside them.
    void cancelled() {
        QTemporaryDir out;
        ExportRequest request;
        request.format = ExportFormat::Html;
        request.files = {notes_};
        request.output = out.filePath(QStringLiteral("site"));
        request.crops = out.filePath(QStringLiteral("crops"));
        int checks = 0;
        ExportControl counting;
        counting.cancelled = [&] { return ++checks < 0; };
        QCOMPARE(RunExport(request, {}, counting).crops, 3);
        QVERIFY(QDir(request.output).removeRecursively() && QDir(request.crops).removeRecursively());
        const int all = checks;
        QVERIFY(all > 3);
        for (int stopAt = 1; stopAt <= all; ++stopAt) {
            checks = 0;
            ExportControl control;
            control.cancelled = [&] { return ++checks >= stopAt; };
            QVERIFY_THROWS_EXCEPTION(VelmoraError, RunExport(request, {}, control));
            QCOMPARE(Listing(out.path()), QStringList());
        }
        QCOMPARE(RunExport(request, {}).crops, 3);
        QCOMPARE(Listing(out.path()), (QStringList{"crops", "site"}));
    }

    void zones_data() {
        QTest::addColumn<QList<QPoint>>("positions"); // one page of entries; (-1, -1) unplaced
        QTest::addColumn<int>("index");
        QTest::addColumn<QRect>("zone");
        const int lead = 1000 / 40;
        QTest::newRow("to the next entry") << QList<QPoint>{{10, 100}, {-1, -1}, {30, 400}} << 0
                                           << QRect(QPoint(0, 100 - lead), QPoint(499, 400 - lead - 1));
        QTest::newRow("last on its page")
            << QList<QPoint>{{10, 100}, {30, 400}} << 1 << QRect(QPoint(0, 400 - lead), QPoint(499, 999));
        QTest::newRow("next lies higher")
            << QList<QPoint>{{10, 700}, {30, 200}} << 0 << QRect(QPoint(0, 700 - lead), QPoint(499, 999));
        QTest::newRow("next right below")
            << QList<QPoint>{{10, 700}, {30, 710}} << 0 << QRect(QPoint(0, 700 - lead), QPoint(499, 700));
        QTest::newRow("at the top") << QList<QPoint>{{0, 0}} << 0 << QRect(QPoint(0, 0), QPoint(499, 999));
        QTest::newRow("past the scan")
            << QList<QPoint>{{9000, 5000}} << 0 << QRect(QPoint(0, 999 - lead), QPoint(499, 999));
    }
    void zones() {
        QFETCH(QList<QPoint>, positions);
        QFETCH(int, index);
        QFETCH(QRect, zone);
        QList<NoteEntry> records(1);
        records[0].isPage = true;
        for (const QPoint &p : positions) {
            NoteEntry e;
            e.x = p.x();
            e.y = p.y();
            records << e;
        }
        NoteEntry next;
        next.isPage = true; // the next page ends the search for the next entry
        records << next;
        NoteEntry beyond;
        beyond.x = 5, beyond.y = 990;
        records << beyond;
        const ScanZone z = EntryZone(records, index + 1, 500, 1000);
        QCOMPARE(QRect(QPoint(z.ulx, z.uly), QPoint(z.lrx - 1, z.lry - 1)), zone);
        QVERIFY(z.Holds(qMin(positions[index].x(), 499), qMin(positions[index].y(), 999)));
    }

    // Zones from the scan's layout, in each hand it reads: each holds its entry's position and its
    // headword's last glyph, but not the next entry's position nor the one before (a band of the scan's
    // full width, or one running to the foot of the page, would).
    void layoutZones_data() {
        QTest::addColumn<DrawnHand>("hand");
        QTest::newRow("larger headwords") << DrawnHand::Larger;
        QTest::newRow("outdented") << DrawnHand::Outdent;
        QTest::newRow("short lines") << DrawnHand::Length;
        QTest::newRow("columns right to left") << DrawnHand::Columns;
    }
    void layoutZones() {
        QFETCH(DrawnHand, hand);
        QTemporaryDir lib;
        const DrawnPage page = DrawPage(hand);
        QVERIFY(QDir(lib.path()).mkpath(QStringLiteral("Image/K")));
        QVERIFY(page.scan.Save(lib.filePath(QStringLiteral("Image/K/K1.jpg"))));
        // Stored positions lie 3 pixels right of the point clicked.
        std::vector<QPoint> stored;
        QByteArray notes = "<page>K1</page>\n";
        for (size_t i = 0; i < page.starts.size(); ++i) {
            stored.push_back(page.starts[i] + QPoint(3, 0));
            notes += QStringLiteral("<條目>條%1</條目>\n<座標 x=\"%2\" y=\"%3\"/>\n")
                         .arg(i)
                         .arg(stored[i].x())
                         .arg(stored[i].y())
                         .toUtf8();
        }
        const QString file = lib.filePath(QStringLiteral("velmora200_k.xml"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(notes) == notes.size());
        f.close();

        const ExportPlan plan({file});
        QCOMPARE(plan.problems(), QStringList());
        const int g = hand == DrawnHand::Larger ? 44 : 30;
        for (size_t i = 0; i < stored.size(); ++i) {
            const auto zone = plan.Zone(0, qsizetype(i) + 1);
            QVERIFY(zone);
            const QString where = QStringLiteral("entry %1: %2,%3 to %4,%5")
                                      .arg(i)
                                      .arg(zone->ulx)
                                      .arg(zone->uly)
                                      .arg(zone->lrx)
                                      .arg(zone->lry);
            const QPoint last =
                page.starts[i] + (hand == DrawnHand::Columns ? QPoint(0, (page.glyphs[i] - 1) * g)
                                                             : QPoint((page.glyphs[i] - 1) * g, 0));
            QVERIFY2(zone->Holds(stored[i].x(), stored[i].y()) && zone->Holds(last.x(), last.y()),
                     qPrintable(where));
            // The writing's extent, not the paper's.
            QVERIFY2(zone->ulx > 0 && zone->lrx < page.scan.width, qPrintable(where));
            if (i + 1 < stored.size())
                QVERIFY2(!zone->Holds(stored[i + 1].x(), stored[i + 1].y()), qPrintable(where));
            if (i > 0) QVERIFY2(!zone->Holds(stored[i - 1].x(), stored[i - 1].y()), qPrintable(where));
        }
    }

    // Some entries only (the search's results, the entry shown in the window): they come with the page
    // records they stand on, keep their numbers, names and zones, and only they get crops.
    void selection() {
        const ExportPlan all({notes_});
        ExportSelection only;
        only.entries = {{2, 5}};
        const ExportPlan some({notes_}, {}, only);
        const QList<NoteEntry> &records = some.books()[0].records;
        QCOMPARE(records.size(), 3);
        QVERIFY(records[0].isPage);
        QCOMPARE(some.Number(0, 0), 1);
        QCOMPARE(some.Number(0, 2), 5);
        QCOMPARE(some.Stem(0, 2), QStringLiteral("K-00005"));
        QCOMPARE(some.Zone(0, 1)->uly, all.Zone(0, 2)->uly);
        QCOMPARE(some.Zone(0, 2)->lry, all.Zone(0, 5)->lry);

        QTemporaryDir out;
        ExportRequest request;
        request.format = ExportFormat::Markdown;
        request.files = {notes_};
        request.output = out.filePath(QStringLiteral("k.md"));
        request.crops = out.filePath(QStringLiteral("crops"));
        request.selection.entries = {{7}};
        const ExportResult result = RunExport(request, {});
        QCOMPARE(result.crops, 1);
        QCOMPARE(Listing(request.crops), (QStringList{".velmora-export", "K-00007.jpg"}));
        const QString md = QString::fromUtf8(Read(request.output));
        QVERIFY2(md.contains(QStringLiteral("\n# K2\n\n## 出界\n")), qPrintable(md));
        QVERIFY(!md.contains(QStringLiteral("# K1")) && !md.contains(QStringLiteral("學而")));
    }

    // "複製引用": reference and sources as text and as HTML with the crop of the entry's zone embedded;
    // no crop, and why, for an entry without a position, one before any page, or a scan not there.
    void citation() {
        const QList<NoteEntry> records = Records(notes_);
        const Citation placed = CiteEntry(records, 2, 0, lib_);
        QCOMPARE(placed.text, QStringLiteral("K K1 學而\n出處：《論語》"));
        QVERIFY2(placed.noCrop.isEmpty(), qPrintable(placed.noCrop));
        QVERIFY(placed.html.startsWith(
            QStringLiteral("<p>K K1 學而<br>出處：《論語》</p><p><img src=\"data:image/jpeg;base64,") +
            QString::fromLatin1(placed.crop.toBase64()) + QLatin1Char('"')));
        // The crop is the zone's: the block written on the scan, not the scan's width.
        const QSize size = JpegSizeOf(placed.crop);
        QVERIFY2(size.width() >= 352 && size.width() < 384 && size.height() >= 52 && size.height() < 84,
                 qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));

        const struct {
            qsizetype record;
            QString folder;
            const char *why;
        } none[] = {{4, lib_, "此條目沒有定位"},
                    {0, lib_, "不在任何掃描頁上"},
                    {2, dir_.filePath("nowhere"), "無法"}};
        for (const auto &c : none) {
            const Citation cited = CiteEntry(records, c.record, 0, c.folder);
            QVERIFY(cited.crop.isEmpty() && !cited.html.contains(QLatin1String("<img")));
            QVERIFY2(cited.noCrop.contains(QString::fromUtf8(c.why)), qPrintable(cited.noCrop));
            QVERIFY(cited.text.startsWith(QStringLiteral("K ")));
        }
    }

    void markup_data() {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("tei");
        QTest::newRow("line breaks") << "甲<br>乙<BR/>丙</br>"
                                     << "甲<lb/>乙<lb/>丙<lb/>";
        QTest::newRow("spans") << "<span class='a b'>x<span>y</span></span>"
                               << "<hi rend=\"a b\">x<hi>y</hi></hi>";
        QTest::newRow("inner closed with outer")
            << "<span class=r><i>x</span>y</i>"
            << "<hi rend=\"r\"><hi rend=\"italic\">x</hi></hi>y&lt;/i&gt;";
        QTest::newRow("span of another kind") << "<span style=\"color:red\">x</span>"
                                              << "&lt;span style=&quot;color:red&quot;&gt;x&lt;/span&gt;";
        QTest::newRow("entities") << "&lt;&#65;&#x1F600;&#0;&nbsp;&zz;&"
                                  << "&lt;A\U0001F600&amp;#0;\u00A0&amp;zz;&amp;";
        QTest::newRow("not tags") << "a<b c<>d<!-- e -->"
                                  << "a&lt;b c&lt;&gt;d&lt;!-- e --&gt;";
        QTest::newRow("other tags") << "<img src=\"x\"><div>y</div>"
                                    << "&lt;img src=&quot;x&quot;&gt;&lt;div&gt;y&lt;/div&gt;";
        QTest::newRow("characters XML cannot hold")
            << QString("a\x01"
                       "b") +
                   QChar(0xD800)
            << "a<g type=\"U+0001\">\uFFFD</g>b<g type=\"U+D800\">\uFFFD</g>";
        QTest::newRow("quote in a class") << "<span class='a\"b&c'>x</span>"
                                          << "<hi rend=\"a&quot;b&amp;c\">x</hi>";
    }
    void markup() {
        QFETCH(QString, html);
        QFETCH(QString, tei);
        const QString out = MarkupToTei(html);
        QCOMPARE(out, tei);
        QCOMPARE(CheckXmlWellFormed(QStringLiteral("<p>") + out + QStringLiteral("</p>")), QString());
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
