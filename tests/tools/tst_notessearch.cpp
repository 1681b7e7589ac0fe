// velmora-notes search as a real process: its JSON lines, folding, fields, and exit statuses.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int status = -1;
    QByteArray out, err;
};

Run Notes(const QStringList &args, const QString &folder) {
    Run r;
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral(VELMORA_NOTES_PROGRAM), args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit) return r;
    r.status = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// Record 0 is the page line, as dump lists it.
const QByteArray kA = "<page>K1</page>\n"
                      "<條目>學而</條目>\n<內容>爲學日益</內容>\n"
                      "<條目>学习</條目>\n<內容>無</內容>\n<案語>見<b>後</b>篇</案語>\n"
                      "<條目>覺</條目>\n<出處>甲乙</出處>\n";
const QByteArray kB = "<page>M1</page>\n<條目>丁</條目>\n<內容>為學</內容>\n";

} // namespace

class TestNotesSearch : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir.isValid());
        for (const auto &[name, bytes] : {std::pair{"a.xml", kA}, std::pair{"b.xml", kB}}) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
    }

    void search_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        const QByteArray xue1 = R"({"file":"a.xml","record":1,"title":"學而"})"
                                "\n";
        const QByteArray xue2 = R"({"file":"a.xml","record":2,"title":"学习"})"
                                "\n";
        const QByteArray ding = R"({"file":"b.xml","record":1,"title":"丁"})"
                                "\n";
        QTest::newRow("exact") << QStringList{"search", "学", "a.xml", "b.xml"} << 0 << xue2;
        QTest::newRow("folded, file by file")
            << QStringList{"search", "--fold", "学", "a.xml", "b.xml"} << 0 << xue1 + xue2 + ding;
        QTest::newRow("folded traditional query")
            << QStringList{"search", "--fold", "为学", "a.xml", "b.xml"} << 0 << xue1 + ding;
        QTest::newRow("fields: titles only")
            << QStringList{"search", "--fold", "--fields", "title", "学", "b.xml"} << 1 << QByteArray();
        QTest::newRow("note is the remarks, tags removed")
            << QStringList{"search", "--fold", "--fields=note", "见后", "a.xml"} << 0 << xue2;
        QTest::newRow("content leaves the remarks out")
            << QStringList{"search", "--fields", "content,source", "後", "a.xml"} << 1 << QByteArray();
        QTest::newRow("look-alike stays apart")
            << QStringList{"search", "--fold", "觉", "b.xml"} << 1 << QByteArray();
        QTest::newRow("no hits") << QStringList{"search", "zz", "a.xml"} << 1 << QByteArray();
        QTest::newRow("missing file: nothing printed")
            << QStringList{"search", "学", "a.xml", "missing.xml"} << 2 << QByteArray();
        QTest::newRow("bad option") << QStringList{"search", "--fuzzy", "学", "a.xml"} << 2 << QByteArray();
        QTest::newRow("bad field") << QStringList{"search", "--fields", "body", "学", "a.xml"} << 2
                                   << QByteArray();
        QTest::newRow("no file") << QStringList{"search", "学"} << 2 << QByteArray();
        QTest::newRow("query after --") << QStringList{"search", "--", "-", "a.xml"} << 1 << QByteArray();
    }
    void search() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        const Run r = Notes(args, dir.path());
        QCOMPARE(r.status, status);
        QCOMPARE(r.out, out);
        // An error says what went wrong; a run with or without hits says nothing.
        QCOMPARE(r.err.startsWith("velmora-notes: "), status == 2);
    }

    void helpDocumentsSearch() {
        const Run r = Notes({"--help"}, dir.path());
        QCOMPARE(r.status, 0);
        for (const char *word : {"search [--fold] [--fields title,content,source,note] QUERY FILE...",
                                 "--fold", "--fields", "\"record\""})
            QVERIFY2(r.out.contains(word), word);
    }
};

QTEST_GUILESS_MAIN(TestNotesSearch)
#include "tst_notessearch.moc"
