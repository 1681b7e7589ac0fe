// What is shown, without a window: the entry and the list that opened it, back and forward among the
// entries shown, the same entry announced again when its notebook is read anew, and the entry where the
// reading stopped taken up once its notebook is in.
#include "corpus/NotebookStore.h"
#include "corpus/ReadingContext.h"
#include "support/NoteFixtures.h"

#include <QtTest>

namespace {

Notebook Book(const QStringList &titles) {
    Notebook book;
    for (const QString &title : titles)
        book.entries << Entry(title);
    return book;
}

// The announcements, as "K:1 Opened".
struct Announced {
    QStringList moves;
    explicit Announced(ReadingContext &context) {
        QObject::connect(
            &context, &ReadingContext::ShownChanged, [this](const ShownEntry &s, ReadingContext::Move m) {
                moves << QStringLiteral("%1:%2 %3")
                             .arg(NotebookLetters()[size_t(s.ref.book)])
                             .arg(s.ref.entry)
                             .arg(QString::fromLatin1(
                                 QMetaEnum::fromType<ReadingContext::Move>().valueToKey(int(m))));
            });
    }
};

bool Same(const NoteEntry &e, const QString &headword) {
    return e.title == headword;
}

} // namespace

class TestReadingContext : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void backAndForward();
    void rereadIsAnnouncedAgain();
    void restoredOnceItsNotebookIsIn_data();
    void restoredOnceItsNotebookIsIn();
};

void TestReadingContext::backAndForward() {
    NotebookStore store;
    store.TakeLoaded(0, Book({"甲", "乙", "丙", "丁"}));
    ReadingContext context(store);
    Announced announced(context);
    context.Show(NoteRef{0, 0}, QString(), OpenedFrom::EntriesList);
    context.Show(NoteRef{0, 1}, QString(), OpenedFrom::EntriesList);
    context.Show(NoteRef{0, 1}, QStringLiteral("乙"), OpenedFrom::SearchResults); // the same entry: kept once
    context.Show(NoteRef{0, 2}, QString(), OpenedFrom::EntriesList);
    context.GoBack();
    QCOMPARE(context.Shown().ref, (NoteRef{0, 1}));
    QCOMPARE(context.Shown().highlight, QString("乙")); // as it was opened last
    QCOMPARE(context.Shown().from, OpenedFrom::SearchResults);
    context.GoBack();
    context.GoBack(); // nothing before the first
    QCOMPARE(context.Shown().ref, (NoteRef{0, 0}));
    context.GoForward();
    // A new entry after going back drops what lay ahead.
    context.Show(NoteRef{0, 3}, QString(), OpenedFrom::EntriesList);
    context.GoForward();
    QCOMPARE(context.Shown().ref, (NoteRef{0, 3}));
    context.GoBack();
    QCOMPARE(context.Shown().ref, (NoteRef{0, 1}));
    QCOMPARE(announced.moves,
             QStringList({"K:0 Opened", "K:1 Opened", "K:1 Opened", "K:2 Opened", "K:1 Revisited",
                          "K:0 Revisited", "K:1 Revisited", "K:3 Opened", "K:1 Revisited"}));
}

void TestReadingContext::rereadIsAnnouncedAgain() {
    NotebookStore store;
    store.TakeLoaded(0, Book({"甲", "乙"}));
    store.TakeLoaded(1, Book({"子"}));
    ReadingContext context(store);
    context.Show(NoteRef{0, 1}, QStringLiteral("乙"), OpenedFrom::SearchResults);
    Announced announced(context);
    store.ReplaceBook(1, Book({"子", "丑"})); // another notebook: nothing to show again
    store.ReplaceBook(0, Book({"甲", "乙改"}));
    QCOMPARE(announced.moves, QStringList({"K:1 Reread"}));
    QCOMPARE(context.Shown().highlight, QString("乙"));
    store.ReplaceBook(0, Book({"甲"})); // the entry is gone: nothing is shown anew
    QCOMPARE(announced.moves.size(), 1);
}

void TestReadingContext::restoredOnceItsNotebookIsIn_data() {
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("headword");
    QTest::addColumn<bool>("openFirst");
    QTest::addColumn<QString>("shown"); // "" for nothing shown
    QTest::newRow("same record") << "M:1"
                                 << "丑" << false << "M:1 Restored";
    QTest::newRow("another headword there now") << "M:1"
                                                << "寅" << false << "";
    QTest::newRow("beyond the notebook") << "M:7"
                                         << "丑" << false << "";
    QTest::newRow("no such notebook") << "Z:1"
                                      << "丑" << false << "";
    QTest::newRow("opened another entry first") << "M:1"
                                                << "丑" << true << "K:0 Opened";
}

void TestReadingContext::restoredOnceItsNotebookIsIn() {
    QFETCH(QString, place);
    QFETCH(QString, headword);
    QFETCH(bool, openFirst);
    QFETCH(QString, shown);
    NotebookStore store;
    store.TakeLoaded(0, Book({"甲"}));
    store.TakeLoaded(1, Book({"子"}), false); // M: its first record only, the rest still being read
    ReadingContext context(store);
    Announced announced(context);
    context.RestoreLast(place, [headword](const NoteEntry &e) { return Same(e, headword); });
    const bool waits = place.startsWith('M');
    QCOMPARE(context.IsRestoring(), waits);
    if (waits) QCOMPARE(context.LastPlace(), place); // closed now, the place stays as stored
    QVERIFY(announced.moves.isEmpty());
    if (openFirst) context.Show(NoteRef{0, 0}, QString(), OpenedFrom::EntriesList);
    store.ExtendBook(1, Book({"子", "丑"}));
    QVERIFY(!context.IsRestoring());
    QCOMPARE(announced.moves.join(','), shown);
}

QTEST_GUILESS_MAIN(TestReadingContext)
#include "tst_readingcontext.moc"
