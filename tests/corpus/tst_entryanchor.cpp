// An entry is found again by its content after another program edited the notes file: records added or
// removed above it, a page line renamed, equal headwords on one page told apart by their order; an
// entry that is truly gone is not mistaken for another.
#include "corpus/AnchorIndex.h"
#include "corpus/EntryAnchor.h"

#include <QtTest>

namespace {

NoteEntry Page(const QString &name) {
    NoteEntry e;
    e.isPage = true;
    e.title = QLatin1Char('[') + name + QLatin1Char(']');
    return e;
}

NoteEntry Head(const QString &title) {
    NoteEntry e;
    e.title = title;
    return e;
}

// A notebook written as "[K1] 甲 乙 甲 [K2] 丙": page names in brackets, headwords between.
Notebook Book(const QString &layout) {
    Notebook b;
    for (const QString &word : layout.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        b.entries.append(word.startsWith(QLatin1Char('[')) ? Page(word.mid(1, word.size() - 2)) : Head(word));
    return b;
}

} // namespace

class TestEntryAnchor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void foundAgainAfterEdits_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("record");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("found");
        QTest::newRow("unchanged") << "[K1] 甲 乙 [K2] 丙" << 4 << "[K1] 甲 乙 [K2] 丙" << 4;
        QTest::newRow("entry added above") << "[K1] 甲 乙 [K2] 丙" << 4 << "[K1] 新 甲 乙 [K2] 丙" << 5;
        QTest::newRow("page added above") << "[K1] 甲 乙 [K2] 丙" << 2 << "[K0] 零 [K1] 甲 乙 [K2] 丙" << 4;
        QTest::newRow("entries removed above") << "[K1] 甲 乙 [K2] 丙" << 4 << "[K2] 丙" << 1;
        QTest::newRow("second of equal headwords")
            << "[K1] 甲 乙 甲 [K2] 丙" << 3 << "[K1] 新 甲 乙 甲 [K2] 丙" << 4;
        QTest::newRow("first of equal headwords") << "[K1] 甲 乙 甲" << 1 << "[K1] 甲 新 乙 甲" << 1;
        QTest::newRow("page renamed") << "[K1] 甲 乙 [K2] 丙 丁" << 5 << "[K1] 甲 乙 [K2b] 丙 丁" << 5;
        QTest::newRow("headword edited") << "[K1] 甲 乙 [K2] 丙" << 4 << "[K1] 甲 乙 [K2] 丙丙" << -1;
        QTest::newRow("entry removed") << "[K1] 甲 乙 [K2] 丙" << 2 << "[K1] 甲 [K2] 丙" << -1;
        QTest::newRow("equal headword elsewhere is not it")
            << "[K1] 甲 乙 [K2] 丙" << 2 << "[K1] 甲 [K2] 丙 [K3] 戊 乙 己" << -1;
    }
    void foundAgainAfterEdits() {
        QFETCH(QString, before);
        QFETCH(int, record);
        QFETCH(QString, after);
        QFETCH(int, found);
        const EntryAnchor anchor = AnchorOf(Book(before).entries, NoteRef{0, record});
        QVERIFY(anchor.IsValid());
        QCOMPARE(FindAnchor(Book(after).entries, anchor), found);
        // The index the reader's marks use gives the same answer.
        const Notebook edited = Book(after);
        QCOMPARE(AnchorIndex(edited).Find(anchor), found);
        // Kept in a journal or a marks file and read back, it finds the same record.
        QCOMPARE(FindAnchor(Book(after).entries, EntryAnchor::FromJson(anchor.ToJson())), found);
    }

    void pagesAndStrangersHaveNoAnchor() {
        const Notebook book = Book("[K1] 甲");
        QVERIFY(!AnchorOf(book.entries, NoteRef{0, 0}).IsValid());
        QVERIFY(!AnchorOf(book.entries, NoteRef{0, 5}).IsValid());
        QVERIFY(!EntryAnchor::FromJson(QJsonObject{{QStringLiteral("notebook"), QStringLiteral("Z")},
                                                   {QStringLiteral("title"), QStringLiteral("甲")}})
                     .IsValid());
    }
};

QTEST_APPLESS_MAIN(TestEntryAnchor)
#include "tst_entryanchor.moc"
