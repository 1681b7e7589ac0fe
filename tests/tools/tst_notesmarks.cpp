// velmora-notes marks as a real process: the marks a reader made, found in the library's notes files as
// they are now; a mark whose headword was edited on disk listed as "找不到的條目" with its text; the exit
// statuses and the errors; the notes files and the marks file only read.
#include "corpus/ReaderMarks.h"
#include "support/TestFiles.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

struct Run {
    int status = -1;
    QByteArray out, err;
};

const QByteArray kK = "<page>K1</page>\n<條目>甲</條目>\n<內容>甲文</內容>\n<條目>乙</條目>\n";
const QByteArray kM = "<page>M1</page>\n<條目>丙</條目>\n";

} // namespace

class TestNotesMarks : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString library_;

    Run Notes(const QStringList &args) {
        Run r;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir_.filePath("data"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VELMORA_NOTES_PROGRAM), args);
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit) return r;
        r.status = p.exitCode();
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

private Q_SLOTS:
    void initTestCase() {
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath("data")));
        QVERIFY(QDir(dir_.path()).mkpath("library"));
        library_ = dir_.filePath("library");
        // Letter case as a library may have it: velmora200_K.xml serves for velmora200_k.xml.
        WriteFile(dir_, kK, "library/velmora200_K.xml");
        WriteFile(dir_, kM, "library/velmora200_M.xml");
        NotebookStore store;
        {
            Notebook read;
            read.LoadNotes(library_ + "/velmora200_K.xml");
            store.TakeLoaded(0, std::move(read));
        }
        {
            Notebook read;
            read.LoadNotes(library_ + "/velmora200_M.xml");
            store.TakeLoaded(1, std::move(read));
        }
        ReaderMarks marks(store, MarksFileFor(library_), library_);
        marks.SetStarred({1, 1}, true);                                // 丙
        marks.SetNote({0, 2}, QStringLiteral("乙的筆記\n第二行\t\\")); // 乙
        marks.SetNote({0, 1}, QStringLiteral("甲"));
        marks.Flush();
    }

    void listsTheMarksInBookOrder() {
        const QByteArray marksFile = ReadFile(MarksFileFor(library_));
        const Run text = Notes({"marks", library_});
        QCOMPARE(text.status, 0);
        const QList<QByteArray> lines = text.out.split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QByteArray("K\t1\tK1\t甲\t\t甲"));
        QCOMPARE(lines[1], QByteArray("K\t2\tK1\t乙\t\t乙的筆記\\n第二行\\t\\\\"));
        QVERIFY2(lines[2].startsWith("M\t1\tM1\t丙\t★ 20") && lines[2].endsWith("\t"), lines[2]);
        QVERIFY2(text.err.contains("3 marks (1 starred, 2 with a note), 0 not found"), text.err);

        const Run json = Notes({"marks", "--json", library_});
        QCOMPARE(json.status, 0);
        const QJsonObject second = QJsonDocument::fromJson(json.out.split('\n')[1]).object();
        QCOMPARE(second.value("note").toString(), QStringLiteral("乙的筆記\n第二行\t\\"));
        QCOMPARE(second.value("record").toInt(), 2);
        QVERIFY(second.value("starredAt").isNull());
        const QJsonObject third = QJsonDocument::fromJson(json.out.split('\n')[2]).object();
        QVERIFY(third.value("starred").toBool());
        QVERIFY(QDateTime::fromString(third.value("starredAt").toString(), Qt::ISODateWithMs).isValid());
        QCOMPARE(ReadFile(MarksFileFor(library_)), marksFile);
    }

    void aHeadwordEditedOnDiskIsListedAsNotFound() {
        QByteArray edited = kK;
        edited.replace("<條目>乙</條目>", "<條目>乙之</條目>");
        WriteFile(dir_, edited, "library/velmora200_K.xml");
        const Run text = Notes({"marks", library_});
        QCOMPARE(text.status, 1);
        QVERIFY2(text.out.endsWith("K\t找不到的條目\tK1\t乙\t\t乙的筆記\\n第二行\\t\\\\\n"), text.out);
        QVERIFY2(text.err.contains("1 not found"), text.err);
        const Run json = Notes({"marks", "--json", library_});
        const QJsonObject lost = QJsonDocument::fromJson(json.out.trimmed().split('\n').last()).object();
        QCOMPARE(lost.value("found").toBool(true), false);
        QVERIFY(lost.value("record").isNull());
        QCOMPARE(lost.value("title").toString(), QStringLiteral("乙"));
        QCOMPARE(ReadFile(library_ + "/velmora200_K.xml"), edited);
        WriteFile(dir_, kK, "library/velmora200_K.xml");
    }

    void errors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("no library") << QStringList{"marks"} << QByteArray("exactly one LIBRARY");
        QTest::newRow("unknown option")
            << QStringList{"marks", "--jsn", "x"} << QByteArray("unknown option '--jsn'");
        QTest::newRow("missing folder")
            << QStringList{"marks", "/nonexistent/library"} << QByteArray("找不到筆記庫資料夾");
        QTest::newRow("folder without notes") << QStringList{"marks", "."} << QByteArray("沒有筆記檔");
    }
    void errors() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, said);
        const Run r = Notes(args);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(said), r.err);
        QVERIFY(r.out.isEmpty());
    }

    void aDamagedMarksFileIsSaidAndLeftAlone() {
        const QString file = MarksFileFor(library_);
        const QByteArray kept = ReadFile(file);
        WriteFile(dir_, "{\"kind\": \"velmoranote-marks\", \"marks\": [", "damaged.json");
        QVERIFY(QFile::remove(file) && QFile::copy(dir_.filePath("damaged.json"), file));
        const Run r = Notes({"marks", library_});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains("無法讀取書籤檔"), r.err);
        QCOMPARE(ReadFile(file), ReadFile(dir_.filePath("damaged.json")));
        QVERIFY(QFile::remove(file));
        WriteFile(dir_, kept, "kept.json");
        QVERIFY(QFile::copy(dir_.filePath("kept.json"), file));
    }

    void help() {
        const Run r = Notes({"marks", "--help"});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("velmora-notes marks [--json] LIBRARY"));
    }
};

QTEST_GUILESS_MAIN(TestNotesMarks)
#include "tst_notesmarks.moc"
