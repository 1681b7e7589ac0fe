// The notes checker: each kind of problem on the lines where the reader meets it, line numbers as
// the reader splits lines, and the velmora-notes program's output and exit statuses.
#include "common/Error.h"
#include "corpus/Data.h"
#include "corpus/NotesCheck.h"
#include "corpus/NotesText.h"
#include "support/OddFiles.h"
#include "support/TestFiles.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

// "LINE: kind" per problem, in the order reported.
QStringList Problems(const QByteArray &bytes) {
    QStringList out;
    for (const NotesProblem &p : CheckNotes(NotesText::FromBytes(bytes), QStringLiteral("n.xml")).problems)
        out << QStringLiteral("%1: %2").arg(p.line).arg(ProblemKindName(p.kind));
    return out;
}

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run RunNotes(const QString &workDir, const QStringList &args) {
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(VELMORA_NOTES_PROGRAM), args);
    Run r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit) return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// A file that uses every part of the format the way it is meant, with the framing of an XML file.
const QByteArray kClean = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<velmora200 book=\"K\">\n"
                          "<!-- 筆記 -->\n"
                          "\n"
                          " \t\xE3\x80\x80\n"
                          "<page>K1</page>\n"
                          "<條目>\xE3\x80\x80第一條\n"
                          "續</條目>\n"
                          "<座標 X = '-1' Y=\"-1\"/>\n"
                          "<內容>甲\n"
                          "<page>K9</page> inside a section is text\n"
                          "乙</內容>\n"
                          "<校註>丁</校註>\n"
                          "<案語>戊</案語>\n"
                          "<出處>丙</出處>\n"
                          "<條目>二</條目>\n"
                          "\n"
                          "</velmora200>\n";

} // namespace

class TestNotesCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void kinds_data();
    void kinds();
    void lineNumbers_data();
    void lineNumbers();
    void summaryCounts();
    void program_data();
    void program();
    void dumpGivesTheReadersRecords();
    void outputThatCannotBeWrittenFails();
    void oddFilesAreRefused_data();
    void oddFilesAreRefused();
    void fileSizeLimitFailsTheWrite();
    void dumpKeepsLoneSurrogates();
};

void TestNotesCheck::kinds_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("clean, framing and blank lines") << kClean << QStringList{};
    QTest::newRow("skipped: text between entries")
        << QByteArray("<條目>a</條目>\nstray\n<條目>b</條目>\n") << QStringList{"2: skipped"};
    QTest::newRow("skipped: a section after a blank line, every line of it")
        << QByteArray("<條目>a</條目>\n\n<內容>x\ny</內容>\n") << QStringList{"3: skipped", "4: skipped"};
    QTest::newRow("skipped: a section out of order")
        << QByteArray("<條目>a</條目>\n<出處>s</出處>\n<內容>c</內容>\n") << QStringList{"3: skipped"};
    QTest::newRow("skipped: a position line not after its headword")
        << QByteArray("<條目>a</條目>\n<內容>c</內容>\n<座標 x=\"1\" y=\"2\"/>\n")
        << QStringList{"3: skipped"};
    QTest::newRow("skipped: the closing half of a broken page line")
        << QByteArray("<page>K1\n</page>\n") << QStringList{"1: tag-placement", "2: skipped"};
    QTest::newRow("position: no match")
        << QByteArray("<條目>a</條目>\n<座標 x=1 y=2/>\n<內容>c</內容>\n") << QStringList{"2: position"};
    QTest::newRow("position: two matches")
        << QByteArray("<條目>a</條目>\n<座標 x='1' y='2' x='3' y='4'/>\n") << QStringList{"2: position"};
    QTest::newRow("range: what comes before is reported, nothing after")
        << QByteArray("stray\n<條目>a</條目>\n<座標 x=\"2147483648\" y=\"0\"/>\nstray\n")
        << QStringList{"1: skipped", "3: range"};
    QTest::newRow("unclosed-headword: at its first line, after what comes before")
        << QByteArray("<條目>a</條目>\nstray\n<條目>b\nc\n")
        << QStringList{"2: skipped", "3: unclosed-headword"};
    QTest::newRow("unclosed-section: at its opening line")
        << QByteArray("<條目>a</條目>\n<內容>x\n<條目>b</條目>\n") << QStringList{"2: unclosed-section"};
    QTest::newRow("tag-placement: headword closing tag not at the end")
        << QByteArray("<條目>a\nb</條目> \n") << QStringList{"2: tag-placement"};
    QTest::newRow("tag-placement: section tags")
        << QByteArray("<條目>a</條目>\n\xE3\x80\x80<內容>x</內容>\n<校註>n</校註>。\n")
        << QStringList{"2: tag-placement", "3: tag-placement"};
    QTest::newRow("tag-placement: page lines")
        << QByteArray("x<page>K1</page>\n<page>K2</page>!\n<page>K3</page>\n<page></page>\n")
        << QStringList{"1: tag-placement", "2: tag-placement"};
    QTest::newRow("one kind once: both tags of a one-line headword")
        << QByteArray(" <條目>a</條目>b\n") << QStringList{"1: tag-placement"};
    QTest::newRow("several kinds on one line: section")
        << QByteArray("<條目>a</條目>\n <內容>x\n") << QStringList{"2: unclosed-section", "2: tag-placement"};
    QTest::newRow("several kinds on one line: headword")
        << QByteArray(" <條目>a\n") << QStringList{"1: unclosed-headword", "1: tag-placement"};

    // A wrong file gets one problem, not one per line.
    const QString notes = QStringLiteral("<條目>甲</條目>\r\n<內容>乙</內容>\r\nstray\r\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char *>(notes.utf16()), notes.size() * 2);
    QByteArray utf16NoMark(reinterpret_cast<const char *>(notes.utf16()), notes.size() * 2);
    QByteArray big5Lines; // the same notes in Big5: no tag reads as one
    for (int i = 0; i < 300; ++i)
        big5Lines += "<\xB1\xF8\xA5\xD8>\xA5\xD2</\xB1\xF8\xA5\xD8>\n";
    QByteArray prose;
    for (int i = 0; i < 300; ++i)
        prose += "Just some text, line " + QByteArray::number(i) + "\n";
    QTest::newRow("encoding: UTF-16 with a byte-order mark") << utf16 << QStringList{"1: encoding"};
    QTest::newRow("encoding: UTF-16 without one") << utf16NoMark << QStringList{"1: encoding"};
    QTest::newRow("encoding: Big5") << big5Lines << QStringList{"1: encoding"};
    QTest::newRow("not-notes: some other text file") << prose << QStringList{"1: not-notes"};
    QTest::newRow("not-notes: not for an empty one") << QByteArray("\n \n") << QStringList{};
    QTest::newRow("a notes file with a stray byte is broken, not wrong")
        << QByteArray("<條目>caf\xE9</條目>\nstray\n") << QStringList{"2: skipped"};
}

void TestNotesCheck::kinds() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    QCOMPARE(Problems(file), expected);
}

void TestNotesCheck::lineNumbers_data() {
    QTest::addColumn<QByteArray>("file");
    const QByteArray lf = "<條目>a</條目>\n\nstray\n<條目>b</條目>\n <內容>x</內容>\n<條目>c\n";
    QTest::newRow("LF") << lf;
    QTest::newRow("CR LF") << QByteArray(lf).replace("\n", "\r\n");
    QTest::newRow("CR") << QByteArray(lf).replace("\n", "\r");
    QTest::newRow("byte-order mark, CR LF") << "\xEF\xBB\xBF" + QByteArray(lf).replace("\n", "\r\n");
    QTest::newRow("mixed, no line end at the end")
        << QByteArray("<條目>a</條目>\r\n\rstray\n<條目>b</條目>\r <內容>x</內容>\r\n<條目>c");
}

void TestNotesCheck::lineNumbers() {
    QFETCH(QByteArray, file);
    QCOMPARE(Problems(file), (QStringList{"3: skipped", "5: tag-placement", "6: unclosed-headword"}));
}

void TestNotesCheck::summaryCounts() {
    const NotesCheckResult clean = CheckNotes(NotesText::FromBytes(kClean), "n.xml");
    QCOMPARE(clean.records, 3);
    QCOMPARE(clean.pages, 1);
    QCOMPARE(clean.entries, 2);
    QCOMPARE(clean.entriesWithPosition, 0); // (-1, -1) is no position
    QVERIFY(clean.stopError.isEmpty());

    const NotesCheckResult stopped = CheckNotes(
        NotesText::FromBytes("<page>K1</page>\n<條目>a</條目>\n<座標 x=\"3\" y=\"4\"/>\n<條目>b\n"), "n.xml");
    QCOMPARE(stopped.records, 2);
    QCOMPARE(stopped.entriesWithPosition, 1);
    QVERIFY(stopped.stopError.contains("n.xml"));
}

void TestNotesCheck::program_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QStringList>("errParts");

    const QByteArray damagedOut =
        "damaged.xml:2: skipped: text between entries; the reader skips it\n"
        "damaged.xml:3: tag-placement: headword: <條目> does not start the line; the "
        "reader drops its first 4 characters \" <條目\"\n"
        "damaged.xml:4: position: the reader takes no position from this line: it needs "
        "exactly one x=\"…\" y=\"…\" pair of quoted whole numbers, x first\n"
        "damaged.xml:5: unclosed-section: <內容> section without </內容> before the end of "
        "the file; the reader puts every later line into it\n";
    QTest::newRow("check, clean") << QStringList{"check", "clean.xml"} << 0 << QByteArray()
                                  << QStringList{
                                         "clean.xml: 3 records: 1 pages, 2 entries (0 with a position, 2 "
                                         "without); 0 problems"};
    QTest::newRow("check, a damaged file and a clean one")
        << QStringList{"check", "damaged.xml", "clean.xml"} << 1 << damagedOut
        << QStringList{
               "damaged.xml: 2 records: 0 pages, 2 entries (0 with a position, 2 without); 4 problems",
               "clean.xml: 3 records"};
    QTest::newRow("check, a missing file does not stop the others")
        << QStringList{"check", "missing.xml", "damaged.xml"} << 2 << damagedOut
        << QStringList{"velmora-notes: Cannot open file \"missing.xml\"", "damaged.xml: 2 records"};
    QTest::newRow("check, a folder") << QStringList{"check", "."} << 2 << QByteArray()
                                     << QStringList{"Cannot open file \".\""};
    QTest::newRow("check, the reader stops")
        << QStringList{"check", "stops.xml"} << 1
        << QByteArray("stops.xml:3: unclosed-headword: headword without "
                      "</條目> before the end of the file; the reader "
                      "stops here\n")
        << QStringList{"stops.xml: 2 records", "the reader stops before the end"};
    QTest::newRow("dump, missing") << QStringList{"dump", "missing.xml"} << 2 << QByteArray()
                                   << QStringList{"missing.xml"};
    QTest::newRow("--help") << QStringList{"--help"} << 0 << QByteArray() << QStringList{};
    QTest::newRow("check --help") << QStringList{"check", "--help"} << 0 << QByteArray() << QStringList{};
    QTest::newRow("--version") << QStringList{"--version"} << 0 << QByteArray("velmora-notes 1.0\n")
                               << QStringList{};
    QTest::newRow("no command") << QStringList{} << 2 << QByteArray() << QStringList{"no command", "--help"};
    QTest::newRow("check without files") << QStringList{"check"} << 2 << QByteArray() << QStringList{"FILE"};
    QTest::newRow("dump of two files")
        << QStringList{"dump", "a", "b"} << 2 << QByteArray() << QStringList{"exactly one FILE"};
    QTest::newRow("unknown command") << QStringList{"lint", "a"} << 2 << QByteArray() << QStringList{"lint"};
    QTest::newRow("unknown option") << QStringList{"check", "-x"} << 2 << QByteArray() << QStringList{"-x"};
}

void TestNotesCheck::program() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QStringList, errParts);

    QTemporaryDir dir;
    WriteFile(dir, kClean, "clean.xml");
    WriteFile(dir, "<條目>a</條目>\nstray\n <條目>b</條目>\n<座標 x=1 y=2/>\n<內容>x\n", "damaged.xml");
    WriteFile(dir, "<page>K1</page>\n<條目>a</條目>\n<條目>b\n", "stops.xml");

    const Run r = RunNotes(dir.path(), args);
    QCOMPARE(r.exitCode, exitCode);
    if (args.contains("--help")) {
        const QString help = QString::fromUtf8(r.out);
        for (const char *word : {"check FILE", "dump FILE", "skipped", "position", "range",
                                 "unclosed-headword", "unclosed-section", "tag-placement", "Exit status"})
            QVERIFY2(help.contains(word), word);
    } else {
        QCOMPARE(QString::fromUtf8(r.out), QString::fromUtf8(out));
    }
    const QString err = QString::fromUtf8(r.err);
    for (const QString &part : errParts)
        QVERIFY2(err.contains(part), qPrintable(err));
}

// The dump holds exactly the reader's records, with the texts escaped so that any JSON reader gets
// them back, and the records before a reader error.
void TestNotesCheck::dumpGivesTheReadersRecords() {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, "\xEF\xBB\xBF<page>K\\1</page>\r\n"
                                        "<條目>\"引\"\tb\x01</條目>\r\n"
                                        "<座標 x=\"12\" y=\"-3\"/>\r\n"
                                        "<內容><b>甲</b>\r\n"
                                        "\\乙</內容>\r\n"
                                        "<出處>丙</出處>\r\n"
                                        "<條目>never closed\r\n");
    Notebook reader;
    QVERIFY_THROWS_EXCEPTION(VelmoraError, reader.LoadNotes(path));
    QCOMPARE(reader.entries.size(), 2);

    const Run r = RunNotes(dir.path(), {"dump", "notes.xml"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(QString::fromUtf8(r.err).contains("在條目名稱中結束"), r.err.constData());
    QList<QByteArray> lines = r.out.split('\n');
    QCOMPARE(lines.takeLast(), QByteArray()); // every object ends its line
    QCOMPARE(lines.size(), reader.entries.size());

    const QStringList keys{"isPage", "pageImage", "title",  "lineCount", "content",
                           "note",   "remark",    "source", "x",         "y"};
    for (int i = 0; i < lines.size(); ++i) {
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(lines[i], &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, lines[i].constData());
        QStringList sorted = keys;
        sorted.sort();
        QCOMPARE(o.keys(), sorted);
        qsizetype at = -1; // and in the order listed
        for (const QString &k : keys) {
            const qsizetype next = lines[i].indexOf("\"" + k.toUtf8() + "\":");
            QVERIFY2(next > at, qPrintable(k));
            at = next;
        }
        const NoteEntry &e = reader.entries[i];
        QVERIFY(o["isPage"].isBool());
        QCOMPARE(o["isPage"].toBool(), e.isPage);
        QCOMPARE(o["pageImage"].toString(), e.pageImage);
        QCOMPARE(o["title"].toString(), e.title);
        QVERIFY(o["lineCount"].isDouble() && o["x"].isDouble() && o["y"].isDouble());
        QCOMPARE(o["lineCount"].toInt(), e.lineCount);
        QCOMPARE(o["content"].toString(), e.content);
        QCOMPARE(o["note"].toString(), e.note);
        QCOMPARE(o["remark"].toString(), e.remark);
        QCOMPARE(o["source"].toString(), e.source);
        QCOMPARE(o["x"].toInt(), e.x);
        QCOMPARE(o["y"].toInt(), e.y);
    }
    QCOMPARE(reader.entries[1].title, QString::fromUtf8("\"引\"\tb\x01"));
    QCOMPARE(reader.entries[1].x, 12);
}

void TestNotesCheck::outputThatCannotBeWrittenFails() {
    if (!QFile::exists("/dev/full")) QSKIP("needs /dev/full");
    QTemporaryDir dir;
    WriteFile(dir, kClean, "clean.xml");
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.setStandardOutputFile("/dev/full");
    p.start(QStringLiteral(VELMORA_NOTES_PROGRAM), {"dump", "clean.xml"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardError().contains("cannot write"));
}

void TestNotesCheck::oddFilesAreRefused_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    QTest::newRow("named pipe") << "pipe.xml"
                                << "具名管道";
    QTest::newRow("/dev/zero") << "/dev/zero"
                               << "字元裝置";
}

// A named pipe or a device is refused at once, and the files after it are checked still.
void TestNotesCheck::oddFilesAreRefused() {
    QFETCH(QString, file);
    QFETCH(QString, reason);
    if (file.startsWith('/') && !QFile::exists(file)) QSKIP("needs the device");
    QTemporaryDir dir;
    WriteFile(dir, kClean, "clean.xml");
    QVERIFY(MakeFifo(dir.filePath("pipe.xml")));
    FifoReleaser releaser(dir.filePath("pipe.xml"), 5000);
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(VELMORA_NOTES_PROGRAM), {"check", file, "clean.xml"});
    // /dev/zero read to the end would take all memory: the child gets a cap, and is stopped when late.
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        QFAIL("still reading");
    }
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 2);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(err.contains(file) && err.contains(reason) && err.contains("clean.xml: 3 records"),
             qPrintable(err));
}

// Output past a file-size limit fails the write with the tool's message, as a full disk does, instead
// of the signal killing it.
void TestNotesCheck::fileSizeLimitFailsTheWrite() {
    QTemporaryDir dir;
    QByteArray many;
    for (int i = 0; i < 2000; ++i)
        many += "<條目>條目 " + QByteArray::number(i) + "</條目>\n";
    WriteFile(dir, many, "many.xml");
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.setStandardOutputFile(dir.filePath("out.jsonl"));
    p.setChildProcessModifier([] {
        ::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{16 * 1024, 16 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    p.start(QStringLiteral(VELMORA_NOTES_PROGRAM), {"dump", "many.xml"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardError().contains("cannot write"));
}

// The reader cuts a headword's tags off by character count: a cut through a surrogate pair leaves half
// of it, which the dump gives as its escape rather than "?".
void TestNotesCheck::dumpKeepsLoneSurrogates() {
    QTemporaryDir dir;
    WriteFile(dir,
              "abc\xF0\xA0\x80\x80<條目>甲</條目>\n<條目>乙</條目>\xF0\xA0\x80\x81"
              "abcd\n",
              "cut.xml");
    Notebook reader;
    reader.LoadNotes(dir.filePath("cut.xml"));
    const Run r = RunNotes(dir.path(), {"dump", "cut.xml"});
    QCOMPARE(r.exitCode, 0);
    const QList<QByteArray> lines = r.out.split('\n');
    QVERIFY2(lines.size() == 3, r.out.constData());
    QVERIFY2(!lines[0].contains('?') && lines[0].contains("\\udc00"), lines[0].constData());
    QVERIFY2(lines[1].contains("\\ud840") && lines[1].contains("乙"), lines[1].constData());
    // Whole pairs stay UTF-8.
    NoteEntry pair;
    pair.title = QString::fromUtf8("\xF0\xA0\x80\x80");
    QCOMPARE(RecordJson(pair).count("\xF0\xA0\x80\x80"), 1);
}

QTEST_GUILESS_MAIN(TestNotesCheck)
#include "tst_notescheck.moc"
