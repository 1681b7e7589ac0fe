// velmora-notes propose as a real process, on a notes file beside scans drawn for it: its JSON lines,
// --all, scans found whatever their letter case, and its exit statuses.
#include "support/DrawnScan.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

struct Run {
    int status = -1;
    QList<QJsonObject> lines;
    QByteArray err;
};

Run Propose(const QStringList &args, const QString &folder) {
    Run r;
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral(VELMORA_NOTES_PROGRAM), QStringList{QStringLiteral("propose")} + args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return r;
    r.status = p.exitCode();
    for (const QByteArray &line : p.readAllStandardOutput().split('\n'))
        if (!line.isEmpty()) r.lines << QJsonDocument::fromJson(line).object();
    r.err = p.readAllStandardError();
    return r;
}

void WriteFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestNotesPropose : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    DrawnPage page = DrawPage(DrawnHand::Larger, 4);

    // A notes file of one page with four entries; `placed` says which carry their true position.
    QByteArray Notes(const QList<bool> &placed, const QString &pageName = QStringLiteral("K1")) const {
        QByteArray out = "<page>" + pageName.toUtf8() + "</page>\n";
        const char *heads[] = {"學而時", "巧言令色鮮", "三省", "孝弟為本"};
        for (int i = 0; i < 4; ++i) {
            out += QByteArray("<條目>") + heads[i] + "</條目>\n";
            if (placed.value(i))
                out += QStringLiteral("<座標 x=\"%1\" y=\"%2\"/>\n")
                           .arg(page.starts[size_t(i)].x() + 3)
                           .arg(page.starts[size_t(i)].y())
                           .toUtf8();
            out += "<內容>文</內容>\n";
        }
        return out;
    }

    static bool Near(const QJsonObject &o, QPoint p) {
        return std::hypot(o.value("x").toDouble() - p.x(), o.value("y").toDouble() - p.y()) <= 45;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir.isValid());
        // The notes say ".\image\K\K1.jpg"; the folders on disk are spelt otherwise.
        QVERIFY(QDir(dir.path()).mkpath("Image/K"));
        QVERIFY(page.scan.Save(dir.filePath("Image/K/K1.jpg")));
    }

    // Every entry, as the capture meets it: each proposal within reach of its headword, in scan
    // pixels as positions are stored, with the keys and record numbers dump uses.
    void allEntries() {
        WriteFile(dir.filePath("velmora200_k.xml"), Notes({true, true, true, true}));
        const Run r = Propose({"--all", "velmora200_k.xml"}, dir.path());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.lines.size(), 4);
        for (int i = 0; i < 4; ++i) {
            const QJsonObject &o = r.lines[i];
            QCOMPARE(o.value("file").toString(), QStringLiteral("velmora200_k.xml"));
            QCOMPARE(o.value("record").toInt(), i + 1); // the page line is record 0
            QCOMPARE(o.value("scan").toString(), QStringLiteral(".\\image\\K\\K1.jpg"));
            QVERIFY2(Near(o, page.starts[size_t(i)] + QPoint(3, 0)), qPrintable(QJsonDocument(o).toJson()));
        }
        QCOMPARE(r.lines[1].value("title").toString(), QStringLiteral("巧言令色鮮"));
    }

    // Without --all only the entries without a position, between the placed ones.
    void onlyUnplaced() {
        WriteFile(dir.filePath("velmora200_k.xml"), Notes({true, false, true, false}));
        const Run r = Propose({"velmora200_k.xml"}, dir.path());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.lines.size(), 2);
        QCOMPARE(r.lines[0].value("record").toInt(), 2);
        QVERIFY(Near(r.lines[0], page.starts[1] + QPoint(3, 0)));
        QCOMPARE(r.lines[1].value("record").toInt(), 4);
        QVERIFY(Near(r.lines[1], page.starts[3] + QPoint(3, 0)));
    }

    // A scan that is missing: said on stderr with its path, its entries get null, status 2; an entry
    // before any page line has no scan: null, status 1.
    void noScan() {
        WriteFile(dir.filePath("missing.xml"), Notes({}, QStringLiteral("K9")));
        Run r = Propose({"missing.xml"}, dir.path());
        QCOMPARE(r.status, 2);
        QCOMPARE(r.lines.size(), 4);
        QVERIFY(r.lines[0].value("x").isNull() && r.lines[0].value("y").isNull());
        QVERIFY2(r.err.contains("K9.jpg"), r.err.constData());

        WriteFile(dir.filePath("nopage.xml"), "<條目>甲</條目>\n<內容>文</內容>\n");
        r = Propose({"nopage.xml"}, dir.path());
        QCOMPARE(r.status, 1);
        QCOMPARE(r.lines.size(), 1);
        QVERIFY(r.lines[0].value("x").isNull());
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("no file") << QStringList{} << 2;
        QTest::newRow("unknown option") << QStringList{"--fast", "velmora200_k.xml"} << 2;
        QTest::newRow("file missing") << QStringList{"none.xml"} << 2;
        QTest::newRow("help") << QStringList{"--help"} << 0;
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        const Run r = Propose(args, dir.path());
        QCOMPARE(r.status, status);
        if (status == 2) QVERIFY(!r.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestNotesPropose)
#include "tst_notespropose.moc"
