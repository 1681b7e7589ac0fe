// The notes reader: records, texts and positions from small files, and its failures.
#include "common/Error.h"
#include "corpus/Data.h"
#include "corpus/NotebookLoading.h"
#include "corpus/NotesFile.h"
#include "support/OddFiles.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>

namespace {

// One line per record: kind|pageImage|title|lineCount|content|note|remark|source|x|y
QStringList Describe(const QList<NoteEntry> &entries) {
    QStringList out;
    for (const NoteEntry &e : entries)
        out << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9|%10")
                   .arg(e.isPage ? "P" : "E", e.pageImage, e.title)
                   .arg(e.lineCount)
                   .arg(e.content, e.note, e.remark, e.source)
                   .arg(e.x)
                   .arg(e.y);
    return out;
}

} // namespace

class TestNotesReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void workedExample();
    void cases_data();
    void cases();
    void lineEnds_data();
    void lineEnds();
    void headwordNeverCloses();
    void positionOverflow();
    void missingFile();
    void invalidUtf8BeforeLineEnd();
    void appendsWithoutClearing();
    void letterCase();
    void notebooksReadSideBySide();
    void startOfFile();
    void namedPipeIsRefused();
    void notUtf8IsSaidOnce_data();
    void notUtf8IsSaidOnce();
};

void TestNotesReader::workedExample() {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, "<page>K12</page>\n"
                                        "<條目>第一條</條目>\n"
                                        "<座標 x=\"120\" y='-8'/>\n"
                                        "<內容>甲\n"
                                        "乙</內容>\n"
                                        "<出處>丙</出處>\n"
                                        "<條目>第二條\n"
                                        "續</條目>\n"
                                        "<校註>丁</校註>\n");
    Notebook nb;
    nb.LoadNotes(path);
    QCOMPARE(Describe(nb.entries), QStringList({
                                       "P|.\\image\\K\\K12.jpg|[K12]|1|||||-1|-1",
                                       "E|.\\image\\K\\K12.jpg|第一條|1|甲<br><br>乙|||丙<br><br>|120|-8",
                                       "E|.\\image\\K\\K12.jpg|第二條<br>續|2||丁<br><br>|||-1|-1",
                                   }));
}

void TestNotesReader::cases_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("records");
    const QString P = ".\\image\\K\\K1.jpg";
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("no tags") << QByteArray("<?xml?>\n<root>\n\n</root>\n") << QStringList();
    QTest::newRow("page lines only") << QByteArray("<page>K1</page>\n<page>M22</page>\n")
                                     << QStringList{"P|" + P + "|[K1]|1|||||-1|-1",
                                                    "P|.\\image\\M\\M22.jpg|[M22]|1|||||-1|-1"};
    QTest::newRow("entry before any page, short page line")
        << QByteArray("<條目>甲</條目>\n<page></page>\n<條目>乙</條目>\n")
        << QStringList{"E||甲|1|||||-1|-1", "P|.\\image\\\\.jpg|[]|1|||||-1|-1",
                       "E|.\\image\\\\.jpg|乙|1|||||-1|-1"};
    QTest::newRow("entry and page tag on one line: entry wins")
        << QByteArray("<條目><page>x</條目>\n") << QStringList{"E||<page>x|1|||||-1|-1"};
    QTest::newRow("section never closes: gathered to the end")
        << QByteArray("<條目>甲</條目>\n<案語>一\n二\n<page>K1</page>\n")
        << QStringList{"E||甲|1|||一<br><br>二<br><br><page>K1</page><br><br>||-1|-1"};
    QTest::newRow("content opening and closing lines with tags only")
        << QByteArray("<條目>甲</條目>\n<內容>\n中\n</內容>\n")
        << QStringList{"E||甲|1|<br><br>中<br><br>||||-1|-1"};
    QTest::newRow("note closing line with tag only") << QByteArray("<條目>甲</條目>\n<校註>注\n</校註>\n")
                                                     << QStringList{"E||甲|1||注<br><br><br><br>|||-1|-1"};
    QTest::newRow("spaces before the opening tag: first 4 characters dropped anyway")
        << QByteArray("<條目>甲</條目>\n  <內容>文</內容>\n") << QStringList{"E||甲|1|容>文||||-1|-1"};
    QTest::newRow("text after closing tag: only last 5 dropped")
        << QByteArray("<條目>甲</條目>\n<內容>文</內容>abc\n") << QStringList{"E||甲|1|文</內||||-1|-1"};
    QTest::newRow("position forms") << QByteArray("<條目>a</條目>\n<座標 X = \"1\" Y= '2'/>\n"
                                                  "<條目>b</條目>\n<座標 x='3\" y=\"-4\"/>\n"
                                                  "<條目>c</條目>\n<座標 x=5 y=6/>\n"
                                                  "<條目>d</條目>\n<座標 x=\"+5\" y=\"6\"/>\n"
                                                  "<條目>e</條目>\n<座標 y=\"5\" x=\"6\"/>\n"
                                                  "<條目>f</條目>\n<座標 x=\"1\" y=\"2\" x=\"3\" y=\"4\"/>\n"
                                                  "<條目>g</條目>\n<座標 x=\"-1\" y=\"-1\"/>\n")
                                    << QStringList{"E||a|1|||||1|2",   "E||b|1|||||3|-4",  "E||c|1|||||-1|-1",
                                                   "E||d|1|||||-1|-1", "E||e|1|||||-1|-1", "E||f|1|||||-1|-1",
                                                   "E||g|1|||||-1|-1"};
    QTest::newRow("position not directly after the headword is skipped")
        << QByteArray("<條目>甲</條目>\n<內容>文</內容>\n<座標 x=\"1\" y=\"2\"/>\n")
        << QStringList{"E||甲|1|文||||-1|-1"};
    QTest::newRow("blank line ends the entry; its sections are skipped")
        << QByteArray("<條目>甲</條目>\n\n<內容>文</內容>\n<條目>乙</條目>\n<出處>書</出處>\n")
        << QStringList{"E||甲|1|||||-1|-1", "E||乙|1||||書<br><br>|-1|-1"};
    QTest::newRow("sections out of order end the entry")
        << QByteArray("<條目>甲</條目>\n<出處>書</出處>\n<內容>文</內容>\n")
        << QStringList{"E||甲|1||||書<br><br>|-1|-1"};
    QTest::newRow("all sections, multi-line, page line inside a section is text")
        << QByteArray(
               "<page>K1</page>\n<條目>甲\n乙\n丙</條目>\n<座標 x=\"7\" y=\"8\"/>\n<內容>一\n二</內容>\n"
               "<校註>注</校註>\n<案語>案\n<page>K2</page>\n語</案語>\n<出處>源</出處>\n<條目>丁</條目>\n")
        << QStringList{"P|" + P + "|[K1]|1|||||-1|-1",
                       "E|" + P +
                           "|甲<br>乙<br>丙|3|一<br><br>二|注<br><br>|案<br><br><page>K2</"
                           "page><br><br>語<br><br>|源<br><br>|7|8",
                       "E|" + P + "|丁|1|||||-1|-1"};
    QTest::newRow("supplementary characters count as two units")
        << QByteArray("<條目>\xF0\xA0\x80\x80</條目>\n<內容>\xF0\xA0\x80\x80\xF0\xA0\x80\x81</內容>\n")
        << QStringList{QString::fromUtf8("E||\xF0\xA0\x80\x80|1|\xF0\xA0\x80\x80\xF0\xA0\x80\x81||||-1|-1")};
}

void TestNotesReader::cases() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, records);
    QTemporaryDir dir;
    Notebook nb;
    nb.LoadNotes(WriteFile(dir, file));
    QCOMPARE(Describe(nb.entries), records);
}

void TestNotesReader::lineEnds_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("CR LF with BOM") << QByteArray("\xEF\xBB\xBF<條目>甲\r\n乙</條目>\r\n<內容>文</內容>\r\n");
    QTest::newRow("CR only") << QByteArray("<條目>甲\r乙</條目>\r<內容>文</內容>");
    QTest::newRow("mixed") << QByteArray("<條目>甲\n乙</條目>\r<內容>文</內容>\r\n");
}

void TestNotesReader::lineEnds() {
    QFETCH(QByteArray, file);
    QTemporaryDir dir;
    Notebook nb;
    nb.LoadNotes(WriteFile(dir, file));
    QCOMPARE(Describe(nb.entries), QStringList{"E||甲<br>乙|2|文||||-1|-1"});
}

void TestNotesReader::headwordNeverCloses() {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, "<page>K1</page>\n<條目>甲</條目>\n<條目>乙\n丙\n");
    Notebook nb;
    try {
        nb.LoadNotes(path);
        QFAIL("no error");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.index(), 4);
        QCOMPARE(e.count(), 4);
        QVERIFY(e.message().contains(path));
        QVERIFY(e.message().contains("4"));
    }
    QCOMPARE(nb.entries.size(), 2); // the records before the unfinished headword stay
}

void TestNotesReader::positionOverflow() {
    QTemporaryDir dir;
    const QString path =
        WriteFile(dir, "<條目>甲</條目>\n<條目>乙</條目>\n<座標 x=\"2147483648\" y=\"1\"/>\n");
    Notebook nb;
    QVERIFY_THROWS_EXCEPTION(VelmoraError, nb.LoadNotes(path));
    QCOMPARE(nb.entries.size(), 1);
    Notebook edge;
    edge.LoadNotes(
        WriteFile(dir, "<條目>甲</條目>\n<座標 x=\"-2147483648\" y=\"2147483647\"/>\n", "edge.xml"));
    QCOMPARE(edge.entries[0].x, std::numeric_limits<qint32>::min());
    QCOMPARE(edge.entries[0].y, std::numeric_limits<qint32>::max());
}

void TestNotesReader::missingFile() {
    QTemporaryDir dir;
    Notebook nb;
    const QString path = dir.filePath("nothing/here.xml");
    try {
        nb.LoadNotes(path);
        QFAIL("no error");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().contains(path), qPrintable(e.message()));
    }
    QVERIFY(nb.entries.isEmpty());
}

void TestNotesReader::invalidUtf8BeforeLineEnd() {
    // A broken sequence right before a line end must not swallow the line end (Qt gives one U+FFFD a byte).
    QTemporaryDir dir;
    Notebook nb;
    nb.LoadNotes(WriteFile(dir, "<條目>\xE4\xB8\n\xFF</條目>\n<內容>\xC3</內容>\n"));
    QCOMPARE(Describe(nb.entries), QStringList{QString("E||\uFFFD\uFFFD<br>\uFFFD|2|\uFFFD||||-1|-1")});
}

void TestNotesReader::appendsWithoutClearing() {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, "<條目>甲</條目>\n");
    Notebook nb;
    nb.LoadNotes(path);
    nb.LoadNotes(path);
    QCOMPARE(nb.entries.size(), 2);
}

// The notes files are found regardless of letter case, as the program's other paths are: the program
// asks for "velmora200_k.xml", the disk holds "velmora200_K.xml"; "\\" separates folders too.
void TestNotesReader::letterCase() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("Notes"));
    WriteFile(dir, "<條目>甲</條目>\n", "Notes/velmora200_K.xml");
    Notebook nb;
    nb.LoadNotes(dir.path() + "/notes\\velmora200_k.xml");
    QCOMPARE(nb.entries.size(), 1);
    QCOMPARE(nb.entries[0].title, QStringLiteral("甲"));
    // A missing file still names the file as asked for.
    try {
        nb.LoadNotes(dir.filePath("velmora200_q.xml"));
        QFAIL("no error");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().contains(dir.filePath("velmora200_q.xml")), qPrintable(e.message()));
    }
}

// The four notebooks are read on worker threads: each is handed over with its own records, or with the
// failure of its own file, and each one's end is announced.
void TestNotesReader::notebooksReadSideBySide() {
    QTemporaryDir dir;
    QByteArray k;
    for (int i = 0; i < 2000; ++i)
        k += "<page>K" + QByteArray::number(i) + "</page>\n<條目>甲" + QByteArray::number(i) + "</條目>\n";
    WriteFile(dir, k, "velmora200_K.xml");                             // found whatever the letter case
    WriteFile(dir, "<條目>乙</條目>\n<條目>丙\n", "velmora200_M.xml"); // ends inside a headword
    // N is missing.
    WriteFile(dir, "<條目>丁</條目>\n", "velmora200_O.xml");
    const QString saved = QDir::currentPath();
    QDir::setCurrent(dir.path());
    std::array<Notebook, kNotebookCount> books;
    std::array<QString, kNotebookCount> errors;
    std::atomic<int> announced{0};
    {
        NotebookLoading loading;
        QObject::connect(&loading, &NotebookLoading::BookRead, [&announced] { ++announced; });
        for (int b = kNotebookCount - 1; b >= 0; --b) { // in any order
            try {
                books[size_t(b)] = loading.Take(b);
            } catch (const VelmoraError &e) {
                errors[size_t(b)] = e.message();
            }
        }
    }
    QCOMPARE(announced.load(), 4); // failed ones too
    Notebook alone;
    alone.LoadNotes("velmora200_K.xml");
    QDir::setCurrent(saved);
    QCOMPARE(Describe(books[0].entries), Describe(alone.entries));
    QCOMPARE(books[0].entries.size(), 4000);
    QVERIFY2(errors[1].contains("velmora200_M.xml"), qPrintable(errors[1]));
    QVERIFY2(errors[2].contains("velmora200_N.xml"), qPrintable(errors[2]));
    QVERIFY(errors[0].isEmpty() && errors[3].isEmpty());
    QCOMPARE(Describe(books[3].entries), QStringList{"E||丁|1|||||-1|-1"});
}

// The records complete in a file's first bytes, for the window's first screen: cut anywhere, they are
// the first records the whole file gives, to the byte (multi-line headwords and sections, a section line
// that holds a headword tag, positions, pages, CR LF and a byte-order mark).
void TestNotesReader::startOfFile() {
    QTemporaryDir dir;
    const QByteArray bytes = "\xEF\xBB\xBF<page>K1</page>\r\n"
                             "<條目>甲一\r\n甲二</條目>\r\n<座標 x=\"5\" "
                             "y=\"6\"/>\r\n<內容>文一\r\n<條目>非條目\r\n文三</內容>\r\n"
                             "<出處>書</出處>\n"
                             "雜行\n"
                             "<條目>乙</條目>\n<內容>乙文</內容>\n"
                             "<page>K2</page>\n"
                             "<條目>丙</條目>\n<案語>丙案\n丙案二</案語>\n"
                             "<條目>丁</條目>\n";
    const QString path = WriteFile(dir, bytes);
    Notebook whole;
    whole.LoadNotes(path);
    const QStringList all = Describe(whole.entries);
    QCOMPARE(all.size(), 6);
    qsizetype most = 0;
    for (qint64 cut = 0; cut <= bytes.size() + 10; ++cut) {
        const QStringList start = Describe(ReadNotesFileStart(path, cut));
        QVERIFY2(start == all.mid(0, start.size()),
                 qPrintable(QString("cut at %1: %2").arg(cut).arg(start.join(" / "))));
        QVERIFY2(start.size() >= most, qPrintable(QString("cut at %1").arg(cut)));
        most = start.size();
    }
    QCOMPARE(most, all.size() - 1); // the last record is never taken from a start: more may follow it
    QVERIFY(ReadNotesFileStart(dir.filePath("nowhere.xml"), 1000).isEmpty());
}

// A named pipe named like a notes file: refused at once, naming the file, instead of a start that waits
// for a writer for ever (the releaser frees a reader that waits, so that the old behaviour fails here).
void TestNotesReader::namedPipeIsRefused() {
    QTemporaryDir dir;
    const QString path = dir.filePath("velmora200_k.xml");
    QVERIFY(MakeFifo(path));
    FifoReleaser releaser(path);
    Notebook nb;
    try {
        nb.LoadNotes(path);
        QFAIL("a named pipe was read as notes");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().contains(path) && e.message().contains("具名管道"), qPrintable(e.message()));
    }
    QVERIFY(!releaser.releasedAReader());
}

void TestNotesReader::notUtf8IsSaidOnce_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("warnings");
    QTest::addColumn<QString>("guess");
    const QString utf8 = QStringLiteral("<條目>甲</條目>\r\n<內容>乙</內容>\r\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char *>(utf8.utf16()), utf8.size() * 2);
    QTest::newRow("UTF-8") << utf8.toUtf8() << 0 << QString();
    QTest::newRow("UTF-16 from an editor") << utf16 << 1 << QStringLiteral("UTF-16");
    QTest::newRow("a stray Latin-1 byte") << QByteArray("<條目>caf\xE9</條目>\n") << 1 << QString();
}

// Read as today (as UTF-8), and the person told once which file it was.
void TestNotesReader::notUtf8IsSaidOnce() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, warnings);
    QFETCH(QString, guess);
    QTemporaryDir dir;
    const QString path = WriteFile(dir, bytes);
    QList<NoteEntry> asToday;
    ReadNotesFile(path, asToday);
    QList<NoteEntry> records;
    QStringList said;
    ReadNotesFile(path, records, &said);
    QCOMPARE(Describe(records), Describe(asToday));
    QCOMPARE(said.size(), warnings);
    if (warnings) {
        QVERIFY2(said[0].contains(path) && said[0].contains("UTF-8") && said[0].contains(guess),
                 qPrintable(said[0]));
    }

    // The window's loading passes it on, once per file.
    const QString saved = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QFile::rename(path, dir.filePath("velmora200_N.xml"));
    NotebookLoading loading;
    (void)loading.Take(2); // the other three notebooks are missing
    QDir::setCurrent(saved);
    QCOMPARE(loading.Warnings(2).size(), warnings);
    if (warnings) QVERIFY(loading.Warnings(2)[0].contains("velmora200_N.xml"));
}

QTEST_APPLESS_MAIN(TestNotesReader)
#include "tst_notesreader.moc"
