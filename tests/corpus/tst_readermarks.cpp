// The reader's own marks on real files: stars and notes kept in the library's marks file and read back,
// found again after the teacher's notes file was edited (or listed as "找不到的條目", never dropped),
// merged with what another reader wrote, also by two processes writing at once; a damaged marks file
// set aside, not overwritten; the notes files never written.
#include "common/Error.h"
#include "corpus/AnchorIndex.h"
#include "corpus/ReaderMarks.h"
#include "support/TestFiles.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray kNotes = "<page>K1</page>\n"
                          "<條目>甲</條目>\n<內容>甲文</內容>\n"
                          "<條目>乙</條目>\n<內容>乙文</內容>\n"
                          "<條目>甲</條目>\n<內容>又一甲</內容>\n"
                          "<page>K2</page>\n"
                          "<條目>丙</條目>\n<內容>丙文</內容>\n";

// A notebook K of `count` entries 詞0, 詞1, … on one page, for the processes writing at once.
QByteArray ManyEntries(int count) {
    QByteArray notes = "<page>K1</page>\n";
    for (int i = 0; i < count; ++i)
        notes += "<條目>詞" + QByteArray::number(i) + "</條目>\n";
    return notes;
}

// One reader of a library: its notebooks read from the notes file on disk, and its marks.
struct Reader {
    NotebookStore store;
    ReaderMarks marks;
    Reader(const QString &notes, const QString &marksFile)
        : marks(store, marksFile, QStringLiteral("/library")) {
        {
            Notebook read;
            read.LoadNotes(notes);
            store.TakeLoaded(0, std::move(read));
        }
        marks.Load();
    }
    // The notes file read anew, as after another program edited it.
    void Reread(const QString &notes) {
        Notebook fresh;
        fresh.LoadNotes(notes);
        store.ReplaceBook(0, std::move(fresh));
    }
};

QStringList Titles(const QList<ReaderMarks::Row> &rows) {
    QStringList titles;
    for (const ReaderMarks::Row &r : rows)
        titles << (r.ref.isValid() ? QString() : QStringLiteral("找不到的條目 ")) + r.anchor.title;
    return titles;
}

} // namespace

class TestReaderMarks : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString notes_, marks_;

private Q_SLOTS:
    void init() {
        QFile::remove(dir_.filePath("marks.json"));
        notes_ = WriteFile(dir_, kNotes, "velmora200_k.xml");
        marks_ = dir_.filePath("marks.json");
    }

    void starsAndNotesComeBackFromTheFile() {
        {
            Reader r(notes_, marks_);
            QSignalSpy changed(&r.marks, &ReaderMarks::MarksChanged);
            r.marks.SetStarred({0, 5}, true);                          // 丙, written at once
            r.marks.SetNote({0, 3}, QStringLiteral("第二個甲\n兩行")); // the second 甲 of K1
            r.marks.SetStarred({0, 0}, true);                          // a page record takes no mark
            QCOMPARE(changed.count(), 2);
            QVERIFY(r.marks.HasUnwritten());
            r.marks.Flush();
        }
        Reader again(notes_, marks_);
        QVERIFY(again.marks.IsStarred({0, 5}));
        QVERIFY(!again.marks.IsStarred({0, 1}));
        QCOMPARE(again.marks.NoteOf({0, 3}), QStringLiteral("第二個甲\n兩行"));
        QCOMPARE(again.marks.NoteOf({0, 1}), QString());
        QCOMPARE(Titles(again.marks.Bookmarks(ReaderMarks::Order::BookOrder)), QStringList{"丙"});
        QCOMPARE(again.marks.Notes().size(), 1);
        QCOMPARE(ReadFile(notes_), kNotes); // the teacher's file is only read
    }

    void newestFirstOrBookOrder() {
        Reader r(notes_, marks_);
        for (int record : {2, 5, 1}) // 乙, 丙, 甲
            r.marks.SetStarred({0, record}, true);
        QCOMPARE(Titles(r.marks.Bookmarks(ReaderMarks::Order::NewestFirst)), (QStringList{"甲", "丙", "乙"}));
        QCOMPARE(Titles(r.marks.Bookmarks(ReaderMarks::Order::BookOrder)), (QStringList{"甲", "乙", "丙"}));
    }

    void foundAgainAfterEditsOrListedAsNotFound() {
        {
            Reader r(notes_, marks_);
            r.marks.SetStarred({0, 5}, true);                    // 丙
            r.marks.SetNote({0, 2}, QStringLiteral("乙的筆記")); // 乙
            r.marks.Flush();
        }
        // Entries added above: both are found at their new places.
        const QByteArray added = "<page>K0</page>\n<條目>新</條目>\n" + kNotes;
        WriteFile(dir_, added, "velmora200_k.xml");
        Reader r(notes_, marks_);
        QVERIFY(r.marks.IsStarred({0, 7}));
        QCOMPARE(r.marks.NoteOf({0, 4}), QStringLiteral("乙的筆記"));

        // 乙's headword edited: its note stays, listed as not found, and is kept through a write.
        QByteArray edited = added;
        edited.replace("<條目>乙</條目>", "<條目>乙乙</條目>");
        WriteFile(dir_, edited, "velmora200_k.xml");
        QSignalSpy reset(&r.marks, &ReaderMarks::MarksReset);
        r.Reread(notes_);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(r.marks.NoteOf({0, 4}), QString());
        QCOMPARE(Titles(r.marks.All()), (QStringList{"丙", "找不到的條目 乙"}));
        QCOMPARE(r.marks.All().last().note, QStringLiteral("乙的筆記"));
        r.marks.SetStarred({0, 1}, true); // 新: a write with the lost mark in the file
        Reader other(notes_, marks_);
        QCOMPARE(Titles(other.marks.All()), (QStringList{"新", "丙", "找不到的條目 乙"}));

        // The headword back as it was: the note is there again.
        WriteFile(dir_, added, "velmora200_k.xml");
        r.Reread(notes_);
        QCOMPARE(r.marks.NoteOf({0, 4}), QStringLiteral("乙的筆記"));
        QCOMPARE(ReadFile(notes_), added);
    }

    void aMarkMovesWithItsEntryThroughEdits() {
        {
            Reader r(notes_, marks_);
            r.marks.SetStarred({0, 5}, true); // 丙 on K2
        }
        // The page renamed: found by its neighbours, and the next write keys it by K2b.
        QByteArray renamed = kNotes;
        renamed.replace("<page>K2</page>", "<page>K2b</page>");
        WriteFile(dir_, renamed, "velmora200_k.xml");
        {
            Reader r(notes_, marks_);
            QVERIFY(r.marks.IsStarred({0, 5}));
            r.marks.SetNote({0, 1}, QStringLiteral("寫一次"));
            r.marks.Flush();
        }
        // Then the neighbour before it edited too, and another 丙 written on K1: the anchor of K2b still
        // finds it (the one of K2 could not tell the two apart).
        QByteArray again = renamed;
        again.replace("<條目>甲</條目>\n<內容>又一甲", "<條目>丁</條目>\n<內容>又一甲");
        again.replace("<內容>乙文</內容>\n", "<內容>乙文</內容>\n<條目>丙</條目>\n");
        WriteFile(dir_, again, "velmora200_k.xml");
        Reader r(notes_, marks_);
        QVERIFY(r.marks.IsStarred({0, 6}));
        QVERIFY(!r.marks.IsStarred({0, 3}));
        QCOMPARE(Titles(r.marks.All()), (QStringList{"甲", "丙"}));
    }

    void twoReadersMergeAndRemovalsStay() {
        Reader a(notes_, marks_);
        Reader b(notes_, marks_);
        a.marks.SetStarred({0, 1}, true);
        b.marks.SetStarred({0, 2}, true); // b had not seen a's star: both are kept
        QVERIFY(b.marks.IsStarred({0, 1}));
        a.marks.Load();
        a.marks.SetStarred({0, 2}, false); // a removes b's star
        b.marks.SetNote({0, 5}, QStringLiteral("b 的筆記"));
        b.marks.Flush(); // b still held 乙 starred: the removal stays
        QVERIFY(!b.marks.IsStarred({0, 2}));
        a.marks.Load();
        QCOMPARE(a.marks.NoteOf({0, 5}), QStringLiteral("b 的筆記"));
        Reader c(notes_, marks_);
        QCOMPARE(Titles(c.marks.Bookmarks(ReaderMarks::Order::BookOrder)), QStringList{"甲"});
    }

    void twoProcessesWritingAtOnceLoseNothing() {
        const QString notes = WriteFile(dir_, ManyEntries(80), "many.xml");
        const QString marks = dir_.filePath("many-marks.json");
        QFile::remove(marks);
        pid_t children[2];
        for (int c = 0; c < 2; ++c) {
            children[c] = ::fork();
            if (children[c] == 0) {
                int code = 0;
                try {
                    Reader r(notes, marks);
                    // Each its own half, star and note one after another, each star a write of its own.
                    for (int i = 0; i < 40; ++i) {
                        const NoteRef ref{0, 1 + c * 40 + i};
                        r.marks.SetStarred(ref, true);
                        r.marks.SetNote(ref, QStringLiteral("筆記 %1").arg(ref.entry));
                        if (i % 4 == 3) r.marks.Flush();
                    }
                    r.marks.Flush();
                } catch (...) {
                    code = 1;
                }
                ::_exit(code);
            }
        }
        for (pid_t child : children) {
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        Reader r(notes, marks);
        QCOMPARE(r.marks.Bookmarks(ReaderMarks::Order::BookOrder).size(), 80);
        QCOMPARE(r.marks.Notes().size(), 80);
        QCOMPARE(r.marks.NoteOf({0, 80}), QStringLiteral("筆記 80"));
        QCOMPARE(ReadFile(notes), ManyEntries(80));
    }

    void aDamagedFileIsSetAsideNotOverwritten() {
        const QByteArray damaged = "{\"kind\":\"velmoranote-marks\",\"marks\":[{\"notebook\":\"K\",";
        WriteFile(dir_, damaged, "marks.json");
        NotebookStore store;
        {
            Notebook read;
            read.LoadNotes(notes_);
            store.TakeLoaded(0, std::move(read));
        }
        ReaderMarks marks(store, marks_, QStringLiteral("/library"));
        try {
            marks.Load();
            QFAIL("a damaged file was read");
        } catch (const VelmoraError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("無法讀取書籤檔")), qPrintable(e.message()));
        }
        QCOMPARE(ReadFile(marks_), damaged);
        marks.SetNote({0, 1}, QStringLiteral("新的"));
        try {
            marks.Flush();
            QFAIL("the damaged file was not said");
        } catch (const VelmoraError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("已損壞")), qPrintable(e.message()));
        }
        const QStringList aside = QDir(dir_.path()).entryList({"marks.json.damaged-*"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(ReadFile(dir_.filePath(aside.first())), damaged);
        Reader r(notes_, marks_);
        QCOMPARE(r.marks.NoteOf({0, 1}), QStringLiteral("新的"));
        QFile::remove(dir_.filePath(aside.first()));
    }

    void oneFilePerLibrary() {
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath("data")));
        QTemporaryDir one, two;
        const QString link = dir_.filePath("link-to-one");
        QVERIFY(QFile::link(one.path(), link));
        const QString file = MarksFileFor(one.path());
        QVERIFY(file.startsWith(dir_.filePath("data/velmoranote/")));
        QCOMPARE(MarksFileFor(link), file);
        QVERIFY(MarksFileFor(two.path()) != file);
        QVERIFY_THROWS_EXCEPTION(VelmoraError, MarksFileFor(dir_.filePath("no such library")));
    }
};

QTEST_GUILESS_MAIN(TestReaderMarks)
#include "tst_readermarks.moc"
