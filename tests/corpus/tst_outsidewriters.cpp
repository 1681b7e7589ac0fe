// Nothing lost when other programs write the notes files: the store takes a changed file only once it
// has held still and reads whole (a writer at work in place, vim, ed, perl -pi, a rename, a file deleted
// and made again), the unsaved positions move with their entries however many records were added above
// them, a save never writes over a file that is changing and merges what was written while it asked, and
// a killed reader's journal finds its entries again. The writers are real processes.
#include "corpus/CaptureLog.h"
#include "corpus/NotesFile.h"
#include "corpus/ReaderJournal.h"
#include "support/BigNotes.h"
#include "support/FaultChild.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString kK = QStringLiteral("velmora200_k.xml");

// 0 page K1, 1 一 (1,1), 2 二, 3 三 (3,3), 4 page K2, 5 四, 6 五, 7 六.
const QByteArray kNotes = "\xEF\xBB\xBF<page>K1</page>\r\n"
                          "<條目>一</條目>\r\n<座標 x=\"1\" y=\"1\"/>\r\n<內容>a</內容>\r\n"
                          "<條目>二</條目>\r\n<內容>b</內容>\r\n"
                          "<條目>三</條目>\r\n<座標 x=\"3\" y=\"3\"/>\r\n<內容>c</內容>\r\n"
                          "<page>K2</page>\r\n"
                          "<條目>四</條目>\r\n<內容>d</內容>\r\n"
                          "<條目>五</條目>\r\n<內容>e</內容>\r\n"
                          "<條目>六</條目>\r\n<內容>f</內容>\r\n";
const QByteArray kAbove = "<條目>新</條目>\r\n<內容>new</內容>\r\n";

QByteArray WithEntryAbove(QByteArray notes) {
    return notes.insert(notes.indexOf("<條目>"), kAbove);
}

// The entry of a headword in a notebook, -1 when there is none.
int RecordOf(const QList<NoteEntry> &entries, const QString &title) {
    for (qsizetype r = 0; r < entries.size(); ++r)
        if (!entries[r].isPage && entries[r].title == title) return int(r);
    return -1;
}
QPoint At(const QList<NoteEntry> &entries, const QString &title) {
    const int r = RecordOf(entries, title);
    return r < 0 ? QPoint(-9, -9) : QPoint(entries[r].x, entries[r].y);
}
QList<NoteEntry> Reread(const QString &path) {
    QList<NoteEntry> records;
    ReadNotesFile(path, records);
    return records;
}

// A perl program run as a process of its own, with the notes file as its first argument.
void RunPerl(QProcess &p, const QString &script, const QStringList &args) {
    p.start(QStringLiteral("perl"), QStringList{QStringLiteral("-e"), script} + args);
    QVERIFY(p.waitForStarted());
}

// Rewrites the file in place: truncates it, then writes `content` in pieces of `chunk` bytes with a
// pause of `pauseMs` between them, as a careless editor or a script does.
const QString kSlowInPlace = QStringLiteral(
    "open(my $in, '<', $ARGV[1]) or die; binmode $in; local $/; my $c = <$in>; close $in;"
    "open(my $f, '+<', $ARGV[0]) or die; binmode $f; truncate($f, 0); seek($f, 0, 0);"
    "for (my $i = 0; $i < length($c); $i += $ARGV[2]) { syswrite($f, substr($c, $i, $ARGV[2]));"
    "  select(undef, undef, undef, $ARGV[3] / 1000); } close $f;");

// One reader of K in the working directory `dir`, watching its file.
struct Reader {
    NotebookStore store;
    CaptureLog log{store};
    explicit Reader(int settleMs = 100) {
        {
            Notebook read;
            read.LoadNotes(kK);
            store.TakeLoaded(0, std::move(read));
        }
        store.SetSettleTime(settleMs, 60000);
        store.WatchFiles();
    }
    const QList<NoteEntry> &entries() const { return store.Set().books[0].entries; }
    void record(const QString &title, int x, int y) {
        QVERIFY(log.Record(NoteRef{0, RecordOf(entries(), title)}, x, y));
    }
    PositionSave save(const std::function<bool(const std::vector<PositionConflict> &)> &keepMine = nullptr) {
        const PositionSave saved = SavePositionChanges(entries(), kK, log.Changes(0), keepMine);
        log.ForgetBook(0);
        store.TakeSavedPositions(0, saved.saved, saved.written);
        return saved;
    }
};

struct InFolder {
    QTemporaryDir dir;
    QString old = QDir::currentPath();
    explicit InFolder(const QByteArray &notes) {
        QDir::setCurrent(dir.path());
        WriteFile(dir, notes, kK);
        for (const char *name : {"velmora200_M.xml", "velmora200_N.xml", "velmora200_O.xml"})
            WriteFile(dir, QByteArray(), name);
    }
    ~InFolder() { QDir::setCurrent(old); }
    QString path(const QString &name) const { return dir.filePath(name); }
};

} // namespace

class TestOutsideWriters : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void slowInPlaceWriterIsNotTakenHalfWay();
    void editorsOfALargeFile_data();
    void editorsOfALargeFile();
    void entryAddedAboveKeepsThePositions();
    void deletedAndMadeAgainStaysWatched();
    void saveWaitsForAnInPlaceWriter();
    void editWhileTheQuestionIsOpenIsMerged();
    void killedReadersJournalAfterAnEntryAdded_data();
    void killedReadersJournalAfterAnEntryAdded();
    void hostileJournalsAreRefused();
    void renamingWriterDuringSaves();
};

// A writer that truncates K and writes it anew in pieces with pauses, while 3 positions are unsaved:
// the half file is never taken, the whole one is, and the 3 positions are on their entries then.
void TestOutsideWriters::slowInPlaceWriterIsNotTakenHalfWay() {
    InFolder fx(kNotes);
    Reader reader;
    reader.record("二", 20, 22);
    reader.record("五", 50, 55);
    reader.record("六", 60, 66);
    QList<qsizetype> taken;
    connect(&reader.store, &NotebookStore::BookReloaded, this, [&] { taken << reader.entries().size(); });
    QSignalSpy notTaken(&reader.store, &NotebookStore::FileNotTakenYet);

    QByteArray next = WithEntryAbove(kNotes);
    next.replace("<內容>e</內容>", "<內容>ee</內容>");
    WriteFile(fx.dir, next, "next.xml");
    QProcess writer;
    RunPerl(writer, kSlowInPlace, {fx.path(kK), fx.path("next.xml"), "40", "250"});
    QTRY_COMPARE_WITH_TIMEOUT(writer.state(), QProcess::NotRunning, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!taken.isEmpty(), 5000);
    QCOMPARE(taken, QList<qsizetype>{9}); // only the whole file, once
    QVERIFY(notTaken.count() >= 1);
    QCOMPARE(reader.entries()[RecordOf(reader.entries(), "五")].content, QString("ee"));
    QCOMPARE(At(reader.entries(), "二"), QPoint(20, 22));
    QCOMPARE(At(reader.entries(), "五"), QPoint(50, 55));
    QCOMPARE(At(reader.entries(), "六"), QPoint(60, 66));
    QCOMPARE(reader.log.Changes(0).size(), size_t(3));
    QVERIFY(reader.log.Unplaced().empty());
    reader.save();
    const QList<NoteEntry> onDisk = Reread(fx.path(kK));
    QCOMPARE(At(onDisk, "二"), QPoint(20, 22));
    QCOMPARE(At(onDisk, "六"), QPoint(60, 66));
    QCOMPARE(onDisk[RecordOf(onDisk, "五")].content, QString("ee"));
}

// Real editors on a large K with positions on its last entries: vim rewriting the file in place, ed,
// perl -pi (a new file renamed over). Each adds an entry at the top.
void TestOutsideWriters::editorsOfALargeFile_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("vim") << "vim" << QStringList{"-N",   "-u",
                                                 "NONE", "-i",
                                                 "NONE", "-es",
                                                 "-c",   "set backupcopy=yes",
                                                 "-c",   "1s/<\\/page>/<\\/page>\\r<條目>新<\\/條目>/",
                                                 "-c",   "wq",
                                                 kK}
                         << QByteArray();
    QTest::newRow("ed") << "ed" << QStringList{"-s", kK}
                        << QByteArray("1s/<\\/page>/&\\\n<條目>新<\\/條目>/\nw\nq\n");
    QTest::newRow("perl -pi") << "perl"
                              << QStringList{"-pi", "-e",
                                             "s/<\\/page>/<\\/page>\\n<條目>新<\\/條目>/ if $. == 1", kK}
                              << QByteArray();
}

void TestOutsideWriters::editorsOfALargeFile() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    if (QStandardPaths::findExecutable(program).isEmpty()) QSKIP("the editor is not installed");
    InFolder fx(MakeNotesBytes(8 * 1024 * 1024));
    Reader reader;
    const qsizetype count = reader.entries().size();
    QStringList last;
    for (qsizetype r = count - 1; last.size() < 3; --r)
        if (!reader.entries()[r].isPage) last.prepend(reader.entries()[r].title);
    for (int i = 0; i < 3; ++i)
        reader.record(last[i], 900 + i, 990 + i);
    QSignalSpy reloaded(&reader.store, &NotebookStore::BookReloaded);

    QProcess editor;
    editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    editor.start(program, arguments);
    QVERIFY(editor.waitForStarted());
    editor.write(input);
    editor.closeWriteChannel();
    QVERIFY(editor.waitForFinished(60000));
    QCOMPARE(editor.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 1, 10000);
    QCOMPARE(reader.entries().size(), count + 1);
    QCOMPARE(reader.entries()[1].title, QString("新"));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(At(reader.entries(), last[i]), QPoint(900 + i, 990 + i));
    QCOMPARE(reader.log.Changes(0).size(), size_t(3));
}

// Another program renames a file with one more entry at the top over K: the 3 unsaved positions stay
// on their entries, in the journal too, and the save writes them there.
void TestOutsideWriters::entryAddedAboveKeepsThePositions() {
    InFolder fx(kNotes);
    Reader reader;
    reader.record("二", 20, 22);
    reader.record("三", 30, 33);
    reader.record("六", 60, 66);
    QSignalSpy reloaded(&reader.store, &NotebookStore::FileChangedOnDisk);
    WriteFile(fx.dir, WithEntryAbove(kNotes), "next.xml");
    QVERIFY(::rename(QFile::encodeName(fx.path("next.xml")), QFile::encodeName(fx.path(kK))) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 1, 5000);
    QCOMPARE(reader.entries().size(), 9);
    QCOMPARE(At(reader.entries(), "二"), QPoint(20, 22));
    QCOMPARE(At(reader.entries(), "三"), QPoint(30, 33));
    QCOMPARE(At(reader.entries(), "六"), QPoint(60, 66));
    const QByteArray journal = reader.log.JournalBytes();
    QVERIFY(journal.contains("\"page\": \"K2\""));
    reader.save();
    const QList<NoteEntry> onDisk = Reread(fx.path(kK));
    QCOMPARE(At(onDisk, "二"), QPoint(20, 22));
    QCOMPARE(At(onDisk, "三"), QPoint(30, 33));
    QCOMPARE(At(onDisk, "六"), QPoint(60, 66));
    QCOMPARE(At(onDisk, "一"), QPoint(1, 1));
    // An entry removed on disk: its position is kept as not placed, and placed when the entry is back.
    reader.record("五", 50, 55);
    QByteArray without = ReadFile(fx.path(kK));
    const QByteArray five = "<條目>五</條目>\r\n<內容>e</內容>\r\n";
    without.replace(five, "");
    WriteFile(fx.dir, without, "next.xml");
    QVERIFY(::rename(QFile::encodeName(fx.path("next.xml")), QFile::encodeName(fx.path(kK))) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 2, 5000);
    QCOMPARE(reader.log.UnplacedText(), QStringList{"【K】五 x=50, y=55"});
    QVERIFY(reader.log.HasUnsaved());
    QVERIFY(reader.log.JournalBytes().contains("\"title\": \"五\""));
    WriteFile(fx.dir, ReadFile(fx.path(kK)).replace("<條目>六</條目>", five + "<條目>六</條目>"), "next.xml");
    QVERIFY(::rename(QFile::encodeName(fx.path("next.xml")), QFile::encodeName(fx.path(kK))) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 3, 5000);
    QVERIFY(reader.log.Unplaced().empty());
    QCOMPARE(At(reader.entries(), "五"), QPoint(50, 55));
}

void TestOutsideWriters::deletedAndMadeAgainStaysWatched() {
    InFolder fx(kNotes);
    Reader reader;
    QSignalSpy reloaded(&reader.store, &NotebookStore::FileChangedOnDisk);
    QVERIFY(QFile::remove(fx.path(kK)));
    QTest::qWait(400);
    QCOMPARE(reloaded.count(), 0); // a file gone is not a notebook without records
    QCOMPARE(reader.entries().size(), 8);
    WriteFile(fx.dir, WithEntryAbove(kNotes), kK);
    QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 1, 5000);
    QCOMPARE(reader.entries().size(), 9);
    // Still watched: a later change in place is read too.
    QByteArray again = WithEntryAbove(kNotes);
    again.replace("<內容>a</內容>", "<內容>aa</內容>");
    QFile f(fx.path(kK));
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.write(again);
    f.close();
    QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 2, 5000);
    QCOMPARE(reader.entries()[RecordOf(reader.entries(), "一")].content, QString("aa"));
}

// A save while a writer rewrites K in place: it waits, never leaves the file cut, and either writes
// over the whole file the writer left (its change kept) or says it could not save.
void TestOutsideWriters::saveWaitsForAnInPlaceWriter() {
    for (int startMs : {0, 150, 400}) {
        InFolder fx(kNotes);
        NotebookStore store;
        CaptureLog log{store};
        {
            Notebook read;
            read.LoadNotes(kK);
            store.TakeLoaded(0, std::move(read));
        }
        QVERIFY(log.Record(NoteRef{0, 2}, 20, 22));
        QByteArray next = kNotes;
        next.replace("<內容>f</內容>", "<內容>ff</內容>");
        WriteFile(fx.dir, next, "next.xml");
        QProcess writer;
        RunPerl(writer, kSlowInPlace, {fx.path(kK), fx.path("next.xml"), "30", "120"});
        QTest::qWait(startMs);
        bool saved = false;
        try {
            SavePositionChanges(store.Set().books[0].entries, kK, log.Changes(0), nullptr);
            saved = true;
        } catch (const VelmoraError &e) {
            QVERIFY2(e.message().contains("座標沒有儲存"), qPrintable(e.message()));
        }
        QVERIFY(writer.waitForFinished(20000));
        const QByteArray after = ReadFile(fx.path(kK));
        const QList<NoteEntry> onDisk = Reread(fx.path(kK));
        QCOMPARE(onDisk.size(), 8);
        QVERIFY2(after.endsWith("<內容>ff</內容>\r\n"), after.right(40).constData());
        if (saved) QCOMPARE(At(onDisk, "二"), QPoint(20, 22));
    }
}

// The conflict question is asked before the last reading: what another program writes while it is
// open is merged, and a record changed again meanwhile is asked about again.
void TestOutsideWriters::editWhileTheQuestionIsOpenIsMerged() {
    InFolder fx(kNotes);
    NotebookStore store;
    CaptureLog log{store};
    {
        Notebook read;
        read.LoadNotes(kK);
        store.TakeLoaded(0, std::move(read));
    }
    log.Record(NoteRef{0, 3}, 30, 30); // 三, which the other program moves too
    log.Record(NoteRef{0, 5}, 40, 40);
    QByteArray edited = kNotes;
    edited.replace("<座標 x=\"3\" y=\"3\"/>", "<座標 x=\"31\" y=\"31\"/>");
    WriteFile(fx.dir, edited, kK);
    QStringList asked;
    const PositionSave saved = SavePositionChanges(
        store.Set().books[0].entries, kK, log.Changes(0), [&](const std::vector<PositionConflict> &c) {
            asked << QStringLiteral("%1:%2").arg(c[0].title).arg(c[0].diskX);
            if (asked.size() == 1) { // while the question is open: 六 gets a position, 三 moves again
                QByteArray more = ReadFile(fx.path(kK));
                more.replace("<條目>六</條目>\r\n", "<條目>六</條目>\r\n<座標 x=\"6\" y=\"6\"/>\r\n");
                more.replace("x=\"31\" y=\"31\"", "x=\"32\" y=\"32\"");
                WriteFile(fx.dir, more, "next.xml");
                ::rename(QFile::encodeName(fx.path("next.xml")), QFile::encodeName(fx.path(kK)));
            }
            return false;
        });
    QCOMPARE(asked, (QStringList{"三:31", "三:32"}));
    const QList<NoteEntry> onDisk = Reread(fx.path(kK));
    QCOMPARE(At(onDisk, "六"), QPoint(6, 6));
    QCOMPARE(At(onDisk, "三"), QPoint(32, 32));
    QCOMPARE(At(onDisk, "四"), QPoint(40, 40));
    QCOMPARE(saved.keptFromDisk.size(), size_t(1));
}

// A reader killed with 3 unsaved positions; one entry is added above them before the next start: all
// 3 are restored into their entries. A journal of the earlier kind (record and headword) too.
void TestOutsideWriters::killedReadersJournalAfterAnEntryAdded_data() {
    QTest::addColumn<bool>("earlierKind");
    QTest::newRow("journal with anchors") << false;
    QTest::newRow("journal of the earlier kind") << true;
}

void TestOutsideWriters::killedReadersJournalAfterAnEntryAdded() {
    QFETCH(bool, earlierKind);
    InFolder fx(kNotes);
    const ChildOutcome killed = RunInChild([&](QByteArray &) {
        NotebookStore store;
        CaptureLog log{store};
        {
            Notebook read;
            read.LoadNotes(kK);
            store.TakeLoaded(0, std::move(read));
        }
        ReaderJournal journal(fx.dir.path());
        log.Record(NoteRef{0, 2}, 20, 22);
        log.Record(NoteRef{0, 3}, 30, 33);
        log.Record(NoteRef{0, 7}, 60, 66);
        QByteArray bytes = log.JournalBytes();
        if (earlierKind) // the journal as the earlier version wrote it: no page, no neighbours
            bytes = "{\"velmoranote-journal\": 1, \"positions\": ["
                    "{\"notebook\": \"K\", \"record\": 2, \"title\": \"二\", \"x\": 20, \"y\": 22},"
                    "{\"notebook\": \"K\", \"record\": 3, \"title\": \"三\", \"x\": 30, \"y\": 33},"
                    "{\"notebook\": \"K\", \"record\": 7, \"title\": \"六\", \"x\": 60, \"y\": 66}]}";
        journal.Write(bytes);
        ::kill(::getpid(), SIGKILL);
    });
    QCOMPARE(killed.signal, SIGKILL);
    WriteFile(fx.dir, WithEntryAbove(kNotes), kK);

    NotebookStore store;
    CaptureLog log{store};
    {
        Notebook read;
        read.LoadNotes(kK);
        store.TakeLoaded(0, std::move(read));
    }
    const QStringList orphans = ReaderJournal::Orphans(fx.dir.path());
    QCOMPARE(orphans.size(), 1);
    const CaptureLog::Restored restored = log.Restore(ReaderJournal::ReadOrphan(orphans[0]));
    QCOMPARE(restored.count, 3);
    QVERIFY(restored.Complete());
    const QList<NoteEntry> &entries = store.Set().books[0].entries;
    QCOMPARE(At(entries, "二"), QPoint(20, 22));
    QCOMPARE(At(entries, "三"), QPoint(30, 33));
    QCOMPARE(At(entries, "六"), QPoint(60, 66));

    // An entry gone: its position is not placed, kept in the list and in this reader's journal.
    NotebookStore second;
    CaptureLog secondLog{second};
    QByteArray without = kNotes;
    without.replace("<條目>六</條目>\r\n<內容>f</內容>\r\n", "");
    WriteFile(fx.dir, without, kK);
    {
        Notebook read;
        read.LoadNotes(kK);
        second.TakeLoaded(0, std::move(read));
    }
    const CaptureLog::Restored partial = secondLog.Restore(ReaderJournal::ReadOrphan(orphans[0]));
    QCOMPARE(partial.count, 2);
    QCOMPARE(partial.unplaced, 1);
    QVERIFY(!partial.Complete());
    QCOMPARE(secondLog.UnplacedText(), QStringList{"【K】六 x=60, y=66"});
    QVERIFY(secondLog.JournalBytes().contains("\"title\": \"六\""));
}

void TestOutsideWriters::hostileJournalsAreRefused() {
    InFolder fx(kNotes);
    NotebookStore store;
    CaptureLog log{store};
    {
        Notebook read;
        read.LoadNotes(kK);
        store.TakeLoaded(0, std::move(read));
    }
    const QByteArray longTitle = "{\"positions\": [{\"notebook\": \"K\", \"record\": 2, \"title\": \"" +
                                 QByteArray(5000000, 'a') + "\", \"x\": 1, \"y\": 1}]}";
    QByteArray many = "{\"positions\": [";
    for (int i = 0; i <= CaptureLog::kMaxJournalItems; ++i)
        many += "{},";
    many += "{}]}";
    const QByteArray huge =
        "{\"positions\": [], \"pad\": \"" + QByteArray(CaptureLog::kMaxJournalBytes, ' ') + "\"}";
    for (const QByteArray &journal : {longTitle, many, huge}) {
        QElapsedTimer clock;
        clock.start();
        try {
            log.Restore(journal);
            QFAIL("a journal beyond what positions can need was taken");
        } catch (const VelmoraError &e) {
            QVERIFY2(e.message().contains("座標日誌"), qPrintable(e.message()));
        }
    }
    QVERIFY(!log.HasUnsaved());
}

// A careful writer renames a new K over the old one every 20 ms (it reads the file, changes the text of
// 一, writes a temporary file and renames it), while this reader saves 100 times: none of the writer's
// updates and none of the positions saved is lost.
void TestOutsideWriters::renamingWriterDuringSaves() {
    InFolder fx(kNotes);
    NotebookStore store;
    CaptureLog log{store};
    {
        Notebook read;
        read.LoadNotes(kK);
        store.TakeLoaded(0, std::move(read));
    }
    // Counts the versions it wrote and how often it found its last one gone (an update lost). Careful:
    // it renames only when the file is still the one it read.
    const QString script = QStringLiteral(
        "my ($f, $stop) = @ARGV; my ($n, $lost) = (0, 0);"
        "while (!-e $stop) { my $ino = (stat $f)[1]; open(my $in, '<', $f) or next; binmode $in; local $/;"
        "  my $c = <$in>; close $in;"
        "  if ($c =~ /<內容>v(\\d+)<\\/內容>/ && $1 != $n) { $lost++; }"
        "  $n++; $c =~ s/<內容>(a|v\\d+)<\\/內容>/<內容>v$n<\\/內容>/;"
        "  open(my $o, '>', \"$f.w\") or die; binmode $o; print $o $c; close $o;"
        "  if ((stat $f)[1] != $ino) { $n--; unlink \"$f.w\"; next; } rename(\"$f.w\", $f);"
        "  select(undef, undef, undef, 0.02); }"
        "print \"$n $lost\\n\";");
    QProcess writer;
    RunPerl(writer, script, {fx.path(kK), fx.path("stop")});
    QTest::qWait(100);
    int failed = 0, positionsLost = 0;
    const int kSaves = 100;
    for (int i = 0; i < kSaves; ++i) {
        const NoteRef ref{0, i % 2 ? 5 : 6};
        QVERIFY(log.Record(ref, 100 + i, 200 + i));
        try {
            const PositionSave saved =
                SavePositionChanges(store.Set().books[0].entries, kK, log.Changes(0), nullptr);
            log.ForgetBook(0);
            store.TakeSavedPositions(0, saved.saved, saved.written);
        } catch (const VelmoraError &e) {
            ++failed;
            qWarning().noquote() << e.message();
        }
        // The position just saved must be in the file until this reader's next save.
        const QList<NoteEntry> now = Reread(fx.path(kK));
        if (QPoint(now[ref.entry].x, now[ref.entry].y) != QPoint(100 + i, 200 + i)) ++positionsLost;
    }
    WriteFile(fx.dir, QByteArray(), "stop");
    QVERIFY(writer.waitForFinished(10000));
    const QList<QByteArray> figures = writer.readAllStandardOutput().trimmed().split(' ');
    QCOMPARE(figures.size(), 2);
    qInfo("%d saves against a writer renaming every 20 ms (%s versions): outside updates lost %s, positions "
          "lost %d, saves refused %d",
          kSaves, figures[0].constData(), figures[1].constData(), positionsLost, failed);
    QCOMPARE(figures[1], QByteArray("0"));
    // The writer's own check is not atomic with its rename: when the machine preempts it between the two,
    // a save that landed there is renamed over by the writer, which is the writer's loss of our update and
    // nothing a reader can prevent. Seen at most once in a hundred saves on a loaded machine; more would
    // mean the save itself loses positions.
    QVERIFY2(positionsLost <= 1, qPrintable(QString::number(positionsLost)));
    QCOMPARE(failed, 0);
}

QTEST_GUILESS_MAIN(TestOutsideWriters)
#include "tst_outsidewriters.moc"
