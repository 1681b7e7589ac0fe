// The position writer: exact bytes written, lines kept, and a file that no longer matches refused.
#include "common/Error.h"
#include "corpus/Data.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray kWorked = "<page>K12</page>\n"
                           "<條目>第一條</條目>\n"
                           "<座標 x=\"120\" y='-8'/>\n"
                           "<內容>甲\n"
                           "乙</內容>\n"
                           "<出處>丙</出處>\n"
                           "<條目>第二條\n"
                           "續</條目>\n"
                           "<校註>丁</校註>\n";

} // namespace

class TestPositionWriter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void workedExample();
    void writes_data();
    void writes();
    void roundTrip();
    void refusesChangedFile_data();
    void refusesChangedFile();
    void readOnlyFileUntouched();
    void missingFileRaises();
    void deletedAfterLoading();
    void replacedWithSameRecords();
    void replacedByFolder();
    void letterCaseSavesIntoExistingFile();
    void letterCaseNameWins();
    void staleTemporariesCleaned();
};

void TestPositionWriter::workedExample() {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, kWorked);
    Notebook nb;
    nb.LoadNotes(path);
    nb.entries[2].x = 35;
    nb.entries[2].y = 410;
    nb.SavePositions(path);
    QCOMPARE(ReadFile(path), QByteArray("\xEF\xBB\xBF"
                                        "<page>K12</page>\r\n"
                                        "<條目>第一條</條目>\r\n"
                                        "<座標 x=\"120\" y=\"-8\"/>\r\n"
                                        "<內容>甲\r\n"
                                        "乙</內容>\r\n"
                                        "<出處>丙</出處>\r\n"
                                        "<條目>第二條\r\n"
                                        "續</條目>\n<座標 x=\"35\" y=\"410\"/>\r\n"
                                        "<校註>丁</校註>\r\n"));
    // Saving again gives CR LF between the pair and changes nothing else.
    nb.SavePositions(path);
    QVERIFY(ReadFile(path).contains("續</條目>\r\n<座標 x=\"35\" y=\"410\"/>\r\n<校註>"));
}

void TestPositionWriter::writes_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("record");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("no positions: BOM kept once, CR LF everywhere, bytes of other lines kept")
        << QByteArray("\xEF\xBB\xBF<r>\r<條目>甲</條目>\n\xFF\xFE junk\r\n") << -1 << 0 << 0
        << QByteArray("\xEF\xBB\xBF<r>\r\n<條目>甲</條目>\r\n\xFF\xFE junk\r\n");
    QTest::newRow("headword on the last line gets its position line")
        << QByteArray("<條目>甲</條目>") << 0 << 5 << 6
        << QByteArray("\xEF\xBB\xBF<條目>甲</條目>\n<座標 x=\"5\" y=\"6\"/>\r\n");
    QTest::newRow("existing position line of another form is replaced")
        << QByteArray("<條目>甲</條目>\n<座標 X = '1' Y = '2'/>\n<內容>文</內容>\n") << 0 << 1 << 2
        << QByteArray("\xEF\xBB\xBF<條目>甲</條目>\r\n<座標 x=\"1\" y=\"2\"/>\r\n<內容>文</內容>\r\n");
    QTest::newRow("unreadable position line is replaced too")
        << QByteArray("<條目>甲</條目>\n<座標 broken/>\n") << 0 << 9 << 8
        << QByteArray("\xEF\xBB\xBF<條目>甲</條目>\r\n<座標 x=\"9\" y=\"8\"/>\r\n");
    QTest::newRow("position further down is not seen: a second one is added")
        << QByteArray("<條目>甲</條目>\n<內容>文</內容>\n<座標 x=\"1\" y=\"1\"/>\n") << 0 << 3 << 4
        << QByteArray("\xEF\xBB\xBF<條目>甲</條目>\n<座標 x=\"3\" y=\"4\"/>\r\n<內容>文</內容>\r\n<座標 "
                      "x=\"1\" y=\"1\"/>\r\n");
    QTest::newRow("only one of x, y set is written with -1")
        << QByteArray("<條目>甲</條目>\n") << 0 << -1 << 7
        << QByteArray("\xEF\xBB\xBF<條目>甲</條目>\n<座標 x=\"-1\" y=\"7\"/>\r\n");
    QTest::newRow("page and headword tags inside sections do not shift the records")
        << QByteArray("<條目>甲</條目>\n<內容>文<page>K9</page>\n又</條目>\n</內容>\n<條目>乙</條目>\n") << 1
        << 4 << 5
        << QByteArray("\xEF\xBB\xBF<條目>甲</條目>\r\n<內容>文<page>K9</page>\r\n又</條目>\r\n</內容>\r\n"
                      "<條目>乙</條目>\n<座標 x=\"4\" y=\"5\"/>\r\n");
    // A file the writer saved before: runs of CR LF lines and position lines already in the written
    // form come out as they were, around the one position that changed and a last line without end.
    QTest::newRow("saved file: only the changed position differs")
        << QByteArray("\xEF\xBB\xBF<條目>甲</條目>\r\n<座標 x=\"1\" y=\"2\"/>\r\n<內容>文</內容>\r\n"
                      "<條目>乙</條目>\r\n<座標 x=\"3\" y=\"4\"/>\r\n<條目>丙</條目>\r\n"
                      "<座標 x=\"5\" y=\"6\"/>\n<出處>書</出處>")
        << 1 << 30 << -40
        << QByteArray("\xEF\xBB\xBF<條目>甲</條目>\r\n<座標 x=\"1\" y=\"2\"/>\r\n<內容>文</內容>\r\n"
                      "<條目>乙</條目>\r\n<座標 x=\"30\" y=\"-40\"/>\r\n<條目>丙</條目>\r\n"
                      "<座標 x=\"5\" y=\"6\"/>\r\n<出處>書</出處>\r\n");
}

void TestPositionWriter::writes() {
    QFETCH(QByteArray, before);
    QFETCH(int, record);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = WriteFile(dir, before);
    Notebook nb;
    nb.LoadNotes(path);
    if (record >= 0) {
        nb.entries[record].x = x;
        nb.entries[record].y = y;
    }
    nb.SavePositions(path);
    QCOMPARE(ReadFile(path), after);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"notes.xml"});
}

void TestPositionWriter::roundTrip() {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, kWorked);
    Notebook nb;
    nb.LoadNotes(path);
    nb.entries[1].x = 2147483647;
    nb.entries[1].y = -2147483647 - 1;
    nb.entries[2].x = 0;
    nb.entries[2].y = 12;
    nb.SavePositions(path);
    Notebook again;
    again.LoadNotes(path);
    QCOMPARE(again.entries.size(), 3);
    QCOMPARE(again.entries[1].x, 2147483647);
    QCOMPARE(again.entries[1].y, -2147483647 - 1);
    QCOMPARE(again.entries[2].x, 0);
    QCOMPARE(again.entries[2].y, 12);
    QCOMPARE(again.entries[2].note, nb.entries[2].note);
}

void TestPositionWriter::refusesChangedFile_data() {
    QTest::addColumn<QByteArray>("changed");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("headword renamed")
        << QByteArray("<page>K12</page>\n<條目>第一條</條目>\n<條目>別條</條目>\n") << QString("別條");
    QTest::newRow("record added") << QByteArray(
                                         "<page>K12</page>\n<條目>第一條</條目>\n<條目>第二條\n續</條目>\n"
                                         "<page>K13</page>\n")
                                  << QString("[K13]");
    QTest::newRow("record removed") << QByteArray("<page>K12</page>\n<條目>第一條</條目>\n")
                                    << QString("第二條");
    QTest::newRow("page turned into an entry")
        << QByteArray("<條目>K12</條目>\n<條目>第一條</條目>\n<條目>第二條\n續</條目>\n")
        << QString("第 0 筆");
    QTest::newRow("headword no longer closes")
        << QByteArray("<page>K12</page>\n<條目>第一條\n") << QString("2");
}

void TestPositionWriter::refusesChangedFile() {
    QFETCH(QByteArray, changed);
    QFETCH(QString, mentions);
    QTemporaryDir dir;
    const QString path = WriteFile(dir, kWorked);
    Notebook nb;
    nb.LoadNotes(path);
    nb.entries[2].x = 1;
    nb.entries[2].y = 1;
    WriteFile(dir, changed);
    try {
        nb.SavePositions(path);
        QFAIL("no error");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().contains(path) && e.message().contains(mentions), qPrintable(e.message()));
    }
    QCOMPARE(ReadFile(path), changed);
}

void TestPositionWriter::readOnlyFileUntouched() {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, kWorked);
    Notebook nb;
    nb.LoadNotes(path);
    nb.entries[1].x = 1;
    nb.entries[1].y = 2;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QVERIFY_THROWS_EXCEPTION(VelmoraError, nb.SavePositions(path));
    QCOMPARE(ReadFile(path), kWorked);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"notes.xml"});
}

void TestPositionWriter::missingFileRaises() {
    QTemporaryDir dir;
    Notebook nb;
    QVERIFY_THROWS_EXCEPTION(VelmoraError, nb.SavePositions(dir.filePath("gone.xml")));
    QVERIFY(!QFile::exists(dir.filePath("gone.xml")));
}

// The notes file deleted after loading: an error naming it, and no file made in its place.
void TestPositionWriter::deletedAfterLoading() {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, kWorked);
    Notebook nb;
    nb.LoadNotes(path);
    nb.entries[1].x = 1;
    nb.entries[1].y = 2;
    QVERIFY(QFile::remove(path));
    try {
        nb.SavePositions(path);
        QFAIL("no error");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().contains(path), qPrintable(e.message()));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// The notes file replaced on disk by one holding the same records with other lines around them: the
// positions go into the file as it is now, its other lines kept.
void TestPositionWriter::replacedWithSameRecords() {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, kWorked);
    Notebook nb;
    nb.LoadNotes(path);
    nb.entries[2].x = 35;
    nb.entries[2].y = 410;
    QVERIFY(QFile::remove(path));
    WriteFile(dir, "<!-- new first line -->\n" + kWorked + "<!-- new last line -->\n");
    nb.SavePositions(path);
    const QByteArray now = ReadFile(path);
    QVERIFY(now.startsWith("\xEF\xBB\xBF<!-- new first line -->\r\n<page>K12</page>\r\n"));
    QVERIFY(now.contains(
        "續</條目>\n<座標 x=\"35\" y=\"410\"/>\r\n<校註>丁</校註>\r\n<!-- new last line -->\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"notes.xml"});
}

// A folder where the notes file was: an error naming it, the folder left as it is.
void TestPositionWriter::replacedByFolder() {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, kWorked);
    Notebook nb;
    nb.LoadNotes(path);
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkdir(path));
    try {
        nb.SavePositions(path);
        QFAIL("no error");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().contains(path), qPrintable(e.message()));
    }
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"notes.xml"});
}

// The program names the K file "velmora200_k.xml"; on disk it may be "velmora200_K.xml". Loading finds
// it, and saving replaces that file instead of creating a second one beside it.
void TestPositionWriter::letterCaseSavesIntoExistingFile() {
    QTemporaryDir dir;
    WriteFile(dir, kWorked, "velmora200_K.xml");
    const QString asNamed = dir.filePath("velmora200_k.xml");
    Notebook nb;
    nb.LoadNotes(asNamed);
    QCOMPARE(nb.entries.size(), 3);
    nb.entries[2].x = 35;
    nb.entries[2].y = 410;
    nb.SavePositions(asNamed);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"velmora200_K.xml"});
    QVERIFY(ReadFile(dir.filePath("velmora200_K.xml")).contains("續</條目>\n<座標 x=\"35\" y=\"410\"/>"));
}

// Where both spellings exist, the exact one is the file (as everywhere else in the program).
void TestPositionWriter::letterCaseNameWins() {
    QTemporaryDir dir;
    WriteFile(dir, kWorked, "velmora200_K.xml");
    const QByteArray other = "<條目>別</條目>\n";
    WriteFile(dir, other, "velmora200_k.xml");
    Notebook nb;
    nb.LoadNotes(dir.filePath("velmora200_k.xml"));
    QCOMPARE(nb.entries.size(), 1);
    nb.entries[0].x = 1;
    nb.entries[0].y = 1;
    nb.SavePositions(dir.filePath("velmora200_k.xml"));
    QCOMPARE(ReadFile(dir.filePath("velmora200_K.xml")), kWorked);
    QVERIFY(ReadFile(dir.filePath("velmora200_k.xml")).contains("<座標 x=\"1\" y=\"1\"/>"));
}

// A save killed at the one moment its temporary file has a name leaves that file behind; the next save
// of the same file removes it when the process that made it is gone, and not while it still runs.
void TestPositionWriter::staleTemporariesCleaned() {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, kWorked);
    pid_t dead = fork();
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    const QString stale = QStringLiteral(".notes.xml.velmora-%1-1a2b3c.tmp").arg(dead);
    const QString alive = QStringLiteral(".notes.xml.velmora-%1-4d5e6f.tmp").arg(getppid());
    const QString foreign = QStringLiteral(".other.xml.velmora-%1-1a2b3c.tmp").arg(dead);
    WriteFile(dir, "half a file", stale);
    WriteFile(dir, "being written", alive);
    WriteFile(dir, "another file's", foreign);
    Notebook nb;
    nb.LoadNotes(path);
    nb.entries[1].x = 1;
    nb.entries[1].y = 2;
    nb.SavePositions(path);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             QStringList({alive, foreign, "notes.xml"}));
}

QTEST_APPLESS_MAIN(TestPositionWriter)
#include "tst_positionwriter.moc"
