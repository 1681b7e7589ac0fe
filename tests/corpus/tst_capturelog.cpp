// What capture mode keeps without a window, and what a save changes when others write too: a save
// applies exactly the positions this reader recorded onto the file as it is on disk (another reader's
// saved positions and an editor's changes stay), a record changed on both sides keeps the disk's value
// unless the person chooses otherwise; undo and the counts; journal values checked on the way back; a
// journal per running reader that no other reader touches, and the journal of a killed reader offered.
#include "corpus/CaptureLog.h"
#include "corpus/NotesFile.h"
#include "corpus/ReaderJournal.h"
#include "support/FaultChild.h"
#include "support/TestFiles.h"

#include <QtTest>

namespace {

// 0 page, 1 一 at (1,1), 2 二, 3 三 at (3,3), 4 四 at (4,4), 5 五.
const QByteArray kNotes = "<page>K1</page>\r\n"
                          "<條目>一</條目>\r\n<座標 x=\"1\" y=\"1\"/>\r\n<內容>a</內容>\r\n"
                          "<條目>二</條目>\r\n<內容>b</內容>\r\n"
                          "<條目>三</條目>\r\n<座標 x=\"3\" y=\"3\"/>\r\n<內容>c</內容>\r\n"
                          "<條目>四</條目>\r\n<座標 x=\"4\" y=\"4\"/>\r\n<內容>d</內容>\r\n"
                          "<條目>五</條目>\r\n<內容>e</內容>\r\n";

QPoint At(const QList<NoteEntry> &records, int r) {
    return QPoint(records[r].x, records[r].y);
}

QList<NoteEntry> Reread(const QString &path) {
    QList<NoteEntry> records;
    ReadNotesFile(path, records);
    return records;
}

// One reader: the notebook K read from `path`, and what it recorded.
struct Reader {
    NotebookStore store;
    CaptureLog log{store};
    QString path;
    explicit Reader(const QString &file) : path(file) {
        Notebook read;
        read.LoadNotes(file);
        store.TakeLoaded(0, std::move(read));
    }
    PositionSave Save(bool keepMine = false, std::vector<PositionConflict> *asked = nullptr) {
        const PositionSave saved = SavePositionChanges(store.Set().books[0].entries, path, log.Changes(0),
                                                       [&](const std::vector<PositionConflict> &c) {
                                                           if (asked) *asked = c;
                                                           return keepMine;
                                                       });
        log.ForgetBook(0);
        store.TakeSavedPositions(0, saved.saved);
        return saved;
    }
};

} // namespace

class TestCaptureLog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveKeepsWhatOthersWrote();
    void conflictKeepsTheDiskUnlessChosen_data();
    void conflictKeepsTheDiskUnlessChosen();
    void undoCountsAndSignals();
    void recordedWhileTheRestIsRead();
    void journalValuesAreChecked_data();
    void journalValuesAreChecked();
    void journalPerReader();
};

void TestCaptureLog::saveKeepsWhatOthersWrote() {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, kNotes);
    Reader mine(path);
    QVERIFY(mine.log.Record(NoteRef{0, 2}, 20, 22)); // 二

    // A second reader, a process of its own, records 五 and saves.
    const ChildOutcome other = RunInChild([&](QByteArray &) {
        Reader second(path);
        second.log.Record(NoteRef{0, 5}, 50, 55);
        second.Save();
    });
    QVERIFY2(other.succeeded(), other.describe().constData());
    // An editor moves 三 and takes 四's position line out.
    QByteArray edited = ReadFile(path);
    edited.replace("<座標 x=\"3\" y=\"3\"/>", "<座標 x=\"33\" y=\"33\"/>");
    edited.replace("<座標 x=\"4\" y=\"4\"/>\r\n", "");
    WriteFile(dir, edited);

    const PositionSave saved = mine.Save();
    QVERIFY(saved.keptFromDisk.empty());
    const QList<NoteEntry> onDisk = Reread(path);
    QCOMPARE(At(onDisk, 2), QPoint(20, 22)); // mine
    QCOMPARE(At(onDisk, 5), QPoint(50, 55)); // the other reader's
    QCOMPARE(At(onDisk, 3), QPoint(33, 33)); // the editor's
    QCOMPARE(At(onDisk, 4), QPoint(-1, -1)); // taken out by the editor, not put back
    QCOMPARE(At(onDisk, 1), QPoint(1, 1));
    // Only 二's lines changed: the file is the edited one with one position line added (the other
    // reader's save gave it its byte order mark).
    QByteArray expected = edited;
    expected.replace("<條目>二</條目>\r\n", "<條目>二</條目>\n<座標 x=\"20\" y=\"22\"/>\r\n");
    // Every line the writer copies ends in CR LF, also the one the other reader's save added.
    expected.replace("<條目>五</條目>\n", "<條目>五</條目>\r\n");
    QCOMPARE(QString::fromUtf8(ReadFile(path)), QString::fromUtf8(expected));
    // The reader now holds the file as saved, and has nothing left to save.
    for (int r : {1, 2, 3, 4, 5})
        QCOMPARE(At(mine.store.Set().books[0].entries, r), At(onDisk, r));
    QVERIFY(!mine.log.HasUnsaved());
}

void TestCaptureLog::conflictKeepsTheDiskUnlessChosen_data() {
    QTest::addColumn<bool>("keepMine");
    QTest::addColumn<QPoint>("result");
    QTest::newRow("disk kept") << false << QPoint(31, 31);
    QTest::newRow("mine chosen") << true << QPoint(30, 30);
}

void TestCaptureLog::conflictKeepsTheDiskUnlessChosen() {
    QFETCH(bool, keepMine);
    QFETCH(QPoint, result);
    QTemporaryDir dir;
    const QString path = WriteFile(dir, kNotes);
    Reader mine(path);
    mine.log.Record(NoteRef{0, 3}, 30, 30); // 三, which another program moves as well
    mine.log.Record(NoteRef{0, 5}, 50, 50);
    QByteArray edited = ReadFile(path);
    edited.replace("<座標 x=\"3\" y=\"3\"/>", "<座標 x=\"31\" y=\"31\"/>");
    WriteFile(dir, edited);

    std::vector<PositionConflict> asked;
    const PositionSave saved = mine.Save(keepMine, &asked);
    QCOMPARE(asked.size(), size_t(1));
    QCOMPARE(asked[0].change.record, 3);
    QCOMPARE(asked[0].title, QString("三"));
    QCOMPARE(QPoint(asked[0].diskX, asked[0].diskY), QPoint(31, 31));
    QCOMPARE(saved.keptFromDisk.size(), size_t(keepMine ? 0 : 1));
    const QList<NoteEntry> onDisk = Reread(path);
    QCOMPARE(At(onDisk, 3), result);
    QCOMPARE(At(onDisk, 5), QPoint(50, 50)); // the change without a conflict is saved either way
    QCOMPARE(At(mine.store.Set().books[0].entries, 3), result);
}

void TestCaptureLog::undoCountsAndSignals() {
    QTemporaryDir dir;
    Reader r(WriteFile(dir, kNotes));
    QList<NoteRef> announced;
    connect(&r.store, &NotebookStore::PositionChanged, this, [&](NoteRef ref) { announced << ref; });
    QCOMPARE(r.log.UnpositionedCount(0), 2);
    QCOMPARE(r.log.UnpositionedText(), QString("未定位：K 2　M 0　N 0　O 0"));
    QVERIFY(!r.log.Record(NoteRef{0, 0}, 5, 5)); // a page takes no position
    QVERIFY(r.log.Record(NoteRef{0, 2}, 7, 8));
    QVERIFY(r.log.Record(NoteRef{0, 2}, 9, 9));
    QVERIFY(r.log.Record(NoteRef{0, 1}, 6, 6));
    QCOMPARE(r.log.UnpositionedCount(0), 1);
    QCOMPARE(r.log.Changes(0).size(), size_t(2));
    QCOMPARE(r.log.UndoLast(), (NoteRef{0, 1}));
    QCOMPARE(At(r.store.Set().books[0].entries, 1), QPoint(1, 1));
    QCOMPARE(r.log.Changes(0).size(), size_t(1));
    QCOMPARE(r.log.UndoLast(), (NoteRef{0, 2}));
    QCOMPARE(At(r.store.Set().books[0].entries, 2), QPoint(7, 8));
    QCOMPARE(r.log.UndoLast(), (NoteRef{0, 2}));
    QVERIFY(!r.log.HasUnsaved());
    QVERIFY(r.log.JournalBytes().isEmpty());
    QCOMPARE(r.log.UndoLast(), NoteRef());
    QCOMPARE(announced, (QList<NoteRef>{{0, 2}, {0, 2}, {0, 1}, {0, 1}, {0, 2}, {0, 2}}));
}

// The window shows a notebook's first records while the rest is read: a position recorded into one of
// them meanwhile stays when the whole notebook comes in, the rest is added after them (announced as
// added, not as read anew), and the save writes the position. Records that are not the whole notebook's
// first ones (the file changed in between) make it a notebook read anew.
void TestCaptureLog::recordedWhileTheRestIsRead() {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, kNotes);
    NotebookStore store;
    CaptureLog log{store};
    Notebook start;
    start.entries = ReadNotesFileStart(path, 110); // the page and 一
    store.TakeLoaded(0, std::move(start), false);
    QCOMPARE(store.Set().books[0].entries.size(), 2);
    QVERIFY(log.Record(NoteRef{0, 1}, 11, 12));
    QList<int> extended, reloaded;
    connect(&store, &NotebookStore::BookExtended, this, [&](int b) { extended << b; });
    connect(&store, &NotebookStore::BookReloaded, this, [&](int b) { reloaded << b; });
    Notebook whole;
    whole.LoadNotes(path);
    store.ExtendBook(0, whole);
    QCOMPARE(extended, QList<int>{0});
    QVERIFY(reloaded.isEmpty());
    QCOMPARE(store.Set().books[0].entries.size(), 6);
    QCOMPARE(At(store.Set().books[0].entries, 1), QPoint(11, 12));
    QCOMPARE(At(store.Set().books[0].entries, 3), QPoint(3, 3));
    QCOMPARE(log.UnpositionedCount(0), 2);
    SavePositionChanges(store.Set().books[0].entries, path, log.Changes(0),
                        [](const auto &) { return false; });
    QCOMPARE(At(Reread(path), 1), QPoint(11, 12));

    Notebook other;
    other.entries = whole.entries.mid(2);
    store.ExtendBook(0, other);
    QCOMPARE(reloaded, QList<int>{0});
    QCOMPARE(store.Set().books[0].entries.size(), 4);
}

void TestCaptureLog::journalValuesAreChecked_data() {
    QTest::addColumn<QByteArray>("x");
    QTest::addColumn<bool>("taken");
    QTest::newRow("zero") << QByteArray("0") << true;
    QTest::newRow("largest") << QByteArray("2147483647") << true;
    QTest::newRow("negative") << QByteArray("-5") << false;
    QTest::newRow("huge") << QByteArray("1e12") << false;
    QTest::newRow("past 32 bits") << QByteArray("2147483648") << false;
    QTest::newRow("fraction") << QByteArray("1.5") << false;
    QTest::newRow("text") << QByteArray("\"7\"") << false;
    QTest::newRow("missing") << QByteArray("null") << false;
}

void TestCaptureLog::journalValuesAreChecked() {
    QFETCH(QByteArray, x);
    QFETCH(bool, taken);
    QTemporaryDir dir;
    Reader r(WriteFile(dir, kNotes));
    const QByteArray journal =
        "{\"positions\": [{\"notebook\": \"K\", \"record\": 2, \"title\": \"二\", \"x\": " + x +
        ", \"y\": 9}, {\"notebook\": \"K\", \"record\": 5, \"title\": \"五\", \"x\": 5, \"y\": 6}]}";
    QCOMPARE(CaptureLog::JournalSize(journal), 2);
    const CaptureLog::Restored restored = r.log.Restore(journal);
    QCOMPARE(restored.count, taken ? 2 : 1);
    QCOMPARE(restored.skipped.size(), taken ? 0 : 1);
    if (!taken) {
        QVERIFY(restored.skipped[0].contains("二"));
        QCOMPARE(At(r.store.Set().books[0].entries, 2), QPoint(-1, -1));
    }
    QCOMPARE(At(r.store.Set().books[0].entries, 5), QPoint(5, 6));
    QVERIFY_THROWS_EXCEPTION(VelmoraError, r.log.Restore("not json"));
}

void TestCaptureLog::journalPerReader() {
    QTemporaryDir dir;
    ReaderJournal mine(dir.path());
    mine.Write("{\"positions\": []}");
    QVERIFY(QFile::exists(mine.FileName()));

    // Another reader that records and then closes normally removes only its own journal.
    const ChildOutcome closing = RunInChild([&](QByteArray &report) {
        ReaderJournal other(dir.path());
        other.Write("{\"positions\": [1]}");
        report += ReaderJournal::Orphans(dir.path()).join(',').toUtf8(); // a running reader is no orphan
        other.Write(QByteArray());
    });
    QVERIFY2(closing.succeeded(), closing.describe().constData());
    QCOMPARE(closing.report, QByteArray("ok"));
    QVERIFY(QFile::exists(mine.FileName()));
    QVERIFY(ReaderJournal::Orphans(dir.path()).isEmpty());

    // A reader killed after recording leaves its journal, which is offered; this reader's is not.
    QString killedJournal;
    const ChildOutcome killed = RunInChild([&](QByteArray &report) {
        ReaderJournal other(dir.path());
        other.Write("{\"positions\": [2]}");
        report += other.FileName().toUtf8();
        ::kill(::getpid(), SIGKILL);
    });
    QCOMPARE(killed.signal, SIGKILL);
    const QStringList orphans = ReaderJournal::Orphans(dir.path());
    QCOMPARE(orphans.size(), 1);
    QVERIFY(orphans[0] != mine.FileName());
    QCOMPARE(ReaderJournal::ReadOrphan(orphans[0]), QByteArray("{\"positions\": [2]}"));
    // Declined, it is kept aside under another name, no longer offered.
    const QString aside = ReaderJournal::SetAside(orphans[0]);
    QCOMPARE(ReadFile(aside), QByteArray("{\"positions\": [2]}"));
    QVERIFY(ReaderJournal::Orphans(dir.path()).isEmpty());
    // One that cannot be set aside (gone meanwhile) is said with the system's reason.
    try {
        ReaderJournal::SetAside(orphans[0]);
        QFAIL("a journal that is gone was set aside");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("：沒有此檔案或資料夾")), qPrintable(e.message()));
    }

    mine.Write(QByteArray());
    QVERIFY(!QFile::exists(mine.FileName()));
}

QTEST_GUILESS_MAIN(TestCaptureLog)
#include "tst_capturelog.moc"
