// The search in the reader's own notes: exact or folded, in the notebooks ticked, its rows merged with
// the entries search's in book order, each record once; a note written, read back by another reader
// and found.
#include "corpus/ReaderMarks.h"
#include "display/PersonalNotesSearch.h"
#include "support/TestFiles.h"

#include <QtTest>

Q_DECLARE_METATYPE(NoteRef)

namespace {

QList<NoteRef> Refs(std::initializer_list<std::pair<int, int>> pairs) {
    QList<NoteRef> refs;
    for (const auto &[book, entry] : pairs)
        refs.append(NoteRef{book, entry});
    return refs;
}

// Given in no order: the search puts them in book order.
const QList<std::pair<NoteRef, QString>> kNotes = {
    {{1, 2}, QStringLiteral("爲學日益")},
    {{0, 3}, QStringLiteral("學而時習之\n再讀")},
    {{0, 1}, QStringLiteral("不亦說乎")},
    {{2, 7}, QStringLiteral("Ab")},
};

} // namespace

class TestPersonalNotesSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void find_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("fold");
        QTest::addColumn<bool>("withM");
        QTest::addColumn<QList<NoteRef>>("rows");
        QTest::newRow("exact") << "學" << false << true << Refs({{0, 3}, {1, 2}});
        QTest::newRow("across a line break's line") << "再讀" << false << true << Refs({{0, 3}});
        QTest::newRow("exact is not folded") << "学" << false << true << QList<NoteRef>();
        QTest::newRow("folded") << "学" << true << true << Refs({{0, 3}, {1, 2}});
        QTest::newRow("folded variant") << "为学" << true << true << Refs({{1, 2}});
        QTest::newRow("notebook unticked") << "學" << false << false << Refs({{0, 3}});
        QTest::newRow("letter case kept") << "ab" << false << true << QList<NoteRef>();
        QTest::newRow("longer than every note")
            << "學而時習之再讀不亦說乎" << false << true << QList<NoteRef>();
        QTest::newRow("empty") << "" << false << true << QList<NoteRef>();
    }
    void find() {
        QFETCH(QString, query);
        QFETCH(bool, fold);
        QFETCH(bool, withM);
        QFETCH(QList<NoteRef>, rows);
        const PersonalNotesSearch search(kNotes);
        SearchScope scope;
        scope.fold = fold;
        scope.books[1] = withM;
        QCOMPARE(search.Find(query, scope), rows);
    }

    void rowsMergedInBookOrderEachOnce() {
        QCOMPARE(MergeSearchRows(Refs({{0, 1}, {0, 5}, {1, 0}}), Refs({{0, 1}, {0, 3}, {2, 2}})),
                 Refs({{0, 1}, {0, 3}, {0, 5}, {1, 0}, {2, 2}}));
        QCOMPARE(MergeSearchRows(Refs({{1, 4}}), {}), Refs({{1, 4}}));
        QCOMPARE(MergeSearchRows({}, Refs({{3, 0}})), Refs({{3, 0}}));
    }

    void aNoteWrittenIsFoundByTheNextReader() {
        QTemporaryDir dir;
        const QString notes = WriteFile(dir, "<page>K1</page>\n<條目>甲</條目>\n<條目>乙</條目>\n");
        const QString marksFile = dir.filePath("marks.json");
        {
            NotebookStore store;
            {
                Notebook read;
                read.LoadNotes(notes);
                store.TakeLoaded(0, std::move(read));
            }
            ReaderMarks marks(store, marksFile, dir.path());
            marks.SetNote({0, 2}, QStringLiteral("讀到這裡"));
            marks.Flush();
        }
        NotebookStore store;
        {
            Notebook read;
            read.LoadNotes(notes);
            store.TakeLoaded(0, std::move(read));
        }
        ReaderMarks marks(store, marksFile, dir.path());
        marks.Load();
        QCOMPARE(PersonalNotesSearch(marks.Notes()).Find(QStringLiteral("這裡"), SearchScope()),
                 Refs({{0, 2}}));
    }
};

QTEST_GUILESS_MAIN(TestPersonalNotesSearch)
#include "tst_personalnotessearch.moc"
