// The search: tag removal, fields and notebooks, row order, and agreement with a plain full scan
// whatever the order of queries and scopes that came before.

#include "bench/SyntheticNotes.h"
#include "display/CharIndex.h"
#include "display/EntryPage.h"
#include "display/FoldClasses.h"
#include "display/Search.h"
#include "display/SubstringFinder.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "support/NoteFixtures.h"
#include "support/RandomText.h"

namespace {

NoteEntry Page(const QString &name) {
    NoteEntry p;
    p.isPage = true;
    p.title = QStringLiteral("[") + name + QStringLiteral("]");
    return p;
}

// Tag removal as a loop of whole-string cuts, the slow form the one-pass version must agree with.
QString NaiveStripTags(QString t) {
    for (;;) {
        const qsizetype a = t.indexOf(QLatin1Char('<'));
        const qsizetype c = t.indexOf(QLatin1Char('>'));
        if (a < 0 || c < 0 || a > c) return t;
        t.remove(a, c - a + 1);
    }
}

// Every record of every checked notebook, field by field, with nothing precomputed or remembered.
QList<NoteRef> FullScan(const QList<Notebook> &books, const QString &q, const SearchScope &s) {
    QList<NoteRef> hits;
    if (q.isEmpty()) return hits;
    for (int b = 0; b < books.size(); ++b) {
        if (!s.books[b]) continue;
        for (int e = 0; e < books[b].entries.size(); ++e) {
            const NoteEntry &n = books[b].entries[e];
            if ((s.title && n.title.contains(q)) || (s.content && n.content.contains(q)) ||
                (s.content && NaiveStripTags(n.note).contains(q)) ||
                (s.remark && NaiveStripTags(n.remark).contains(q)) ||
                (s.source && NaiveStripTags(n.source).contains(q)))
                hits.append({b, e});
        }
    }
    return hits;
}

// A folded full scan: code point by code point, each compared by its representative.
bool FoldedContains(const QString &text, const QString &query) {
    const QList<uint> t = text.toUcs4(), q = query.toUcs4();
    for (qsizetype at = 0; at + q.size() <= t.size(); ++at) {
        qsizetype i = 0;
        while (i < q.size() && FoldClasses::Fold(t[at + i]) == FoldClasses::Fold(q[i]))
            ++i;
        if (i == q.size()) return true;
    }
    return false;
}

QList<NoteRef> FoldedFullScan(const QList<Notebook> &books, const QString &q, const SearchScope &s) {
    QList<NoteRef> hits;
    if (q.isEmpty()) return hits;
    for (int b = 0; b < books.size(); ++b) {
        if (!s.books[b]) continue;
        for (int e = 0; e < books[b].entries.size(); ++e) {
            const NoteEntry &n = books[b].entries[e];
            if ((s.title && FoldedContains(n.title, q)) || (s.content && FoldedContains(n.content, q)) ||
                (s.content && FoldedContains(NaiveStripTags(n.note), q)) ||
                (s.remark && FoldedContains(NaiveStripTags(n.remark), q)) ||
                (s.source && FoldedContains(NaiveStripTags(n.source), q)))
                hits.append({b, e});
        }
    }
    return hits;
}

QList<const Notebook *> Pointers(const QList<Notebook> &books) {
    QList<const Notebook *> p;
    for (const Notebook &b : books)
        p.append(&b);
    return p;
}

// Hits written as "K1 N3", letter and record index, to keep the tables readable.
QString Describe(const QList<NoteRef> &hits) {
    QStringList parts;
    for (const NoteRef &h : hits)
        parts.append(QString(QLatin1Char("KMNO"[h.book])) + QString::number(h.entry));
    return parts.join(QLatin1Char(' '));
}

// Scope written as the letters of the checked notebooks and fields: "KMNO tcrs" is everything.
SearchScope Scope(const QString &text) {
    SearchScope s;
    for (int b = 0; b < 4; ++b)
        s.books[b] = text.contains(QLatin1Char("KMNO"[b]));
    s.title = text.contains(QLatin1Char('t'));
    s.content = text.contains(QLatin1Char('c'));
    s.remark = text.contains(QLatin1Char('r'));
    s.source = text.contains(QLatin1Char('s'));
    return s;
}

QList<Notebook> Fixture() {
    QList<Notebook> books(4);
    books[0].entries = {
        Page(QStringLiteral("K12")),                                                         // K0
        Entry(QStringLiteral("甲乙"), QStringLiteral("丙丁<br><br>甲乙")),                   // K1
        Entry(QStringLiteral("子<br>丑"), QStringLiteral("red <span class='red'>x</span>")), // K2
        Entry(QStringLiteral("A"), {}, QStringLiteral("<b>甲</b>乙<br><br>"),
              QStringLiteral("案：戊<br><br>"),
              QStringLiteral("<span class='red'>x</span><br><br>")), // K3
    };
    books[1].entries = {
        Entry(QStringLiteral("尾末"), QStringLiteral("a>b<i>c")),                                 // M0
        Entry(QStringLiteral("首頭"), QStringLiteral("x") + QChar(0xFFFF) + QStringLiteral("y")), // M1
        Entry(QStringLiteral("trail "), {}, {}, {}, QStringLiteral("《書》<i>卷</i>三<br><br>")), // M2
    };
    books[2].entries = {
        Page(QStringLiteral("N7")),                          // N0
        Entry(QStringLiteral("庚"), QStringLiteral("甲乙")), // N1
    };
    // O stays empty.
    return books;
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stripTags_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stripped");
        // clang-format off
        QTest::newRow("spans") << "x<span class='red'>y</span>z" << "xyz";
        QTest::newRow("no markup") << "甲乙" << "甲乙";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("close before open stops at once") << "a>b<i>c" << "a>b<i>c";
        QTest::newRow("stops after first cut") << "<a>x>y<b>" << "x>y<b>";
        QTest::newRow("open without close") << "a<b" << "a<b";
        QTest::newRow("open after last close") << "<i>a<b" << "a<b";
        QTest::newRow("opens nest to first close") << "a<b<c>d" << "ad";
        QTest::newRow("stray close left behind") << "<<a>b>" << "b>";
        QTest::newRow("whole text") << "<br><br>" << "";
        QTest::newRow("separators") << "甲<br><br>乙<br><br>" << "甲乙";
        // clang-format on
    }
    void stripTags() {
        QFETCH(QString, text);
        QFETCH(QString, stripped);
        QCOMPARE(StripTags(text), stripped);
        QCOMPARE(NaiveStripTags(text), stripped);
    }

    void stripTagsAgreesWithRepeatedCuts() {
        QRandomGenerator rng(11);
        const QString alphabet = QStringLiteral("<<>>ab甲");
        for (int i = 0; i < 5000; ++i) {
            const QString t = RandomText(rng, alphabet, 29);
            QCOMPARE(StripTags(t), NaiveStripTags(t));
        }
    }

    void find_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("scope");
        QTest::addColumn<QString>("hits");
        const QString all = QStringLiteral("KMNO tcrs");
        // clang-format off
        QTest::newRow("empty query") << "" << all << "";
        QTest::newRow("no field") << QStringLiteral("甲乙") << "KMNO" << "";
        QTest::newRow("no notebook") << QStringLiteral("甲乙") << "tcrs" << "";
        // K1 holds it in headword and content, but gives one row; K3 through the stripped notes.
        QTest::newRow("book then record order") << QStringLiteral("甲乙") << all << "K1 K3 N1";
        QTest::newRow("headword only") << QStringLiteral("甲乙") << "KMNO t" << "K1";
        QTest::newRow("notes go with content") << QStringLiteral("甲乙") << "KMNO c" << "K1 K3 N1";
        QTest::newRow("K unchecked") << QStringLiteral("甲乙") << "MNO tcrs" << "N1";
        QTest::newRow("case sensitive") << "A" << all << "K3";
        QTest::newRow("lower case") << "a" << "KMNO t" << "M2";
        QTest::newRow("trailing space") << "trail " << all << "M2";
        QTest::newRow("space must match") << QStringLiteral("trail  ") << all << "";
        QTest::newRow("content keeps markup") << "red" << all << "K2";
        QTest::newRow("sources lose markup") << "red" << "KMNO trs" << "";
        QTest::newRow("stripped source") << QStringLiteral("》卷三") << all << "M2";
        QTest::newRow("content never stripped") << "a>b<i>c" << all << "M0";
        QTest::newRow("br in headword or content") << "br" << all << "K1 K2";
        QTest::newRow("br in content") << "br" << "KMNO c" << "K1";
        QTest::newRow("remark") << QStringLiteral("戊") << all << "K3";
        QTest::newRow("remark off") << QStringLiteral("戊") << "KMNO tcs" << "";
        QTest::newRow("page record by title") << "[N7]" << all << "N0";
        QTest::newRow("page record not without title") << "N7" << "KMNO crs" << "";
        QTest::newRow("pages share a bracket") << "[" << all << "K0 N0";
        QTest::newRow("no match across records") << QStringLiteral("末首") << all << "";
        // One character: from the index with every field, else tested. The index must hold the texts
        // as searched: K3's "b" is only in its notes' markup, K2's in its headword.
        QTest::newRow("one character, every field") << "b" << all << "K1 K2 M0";
        QTest::newRow("one character, content only") << "b" << "KMNO c" << "K1 M0";
        QTest::newRow("headword character, content only") << QStringLiteral("丑") << "KMNO c" << "";
        QTest::newRow("character in no record") << QStringLiteral("辛") << all << "";
        QTest::newRow("separator char in text") << QString(QChar(0xFFFF)) + "y" << all << "M1";
        QTest::newRow("separator char alone") << QString(QChar(0xFFFF)) << all << "M1";
        QTest::newRow("separator char across records")
            << QStringLiteral("末") + QChar(0xFFFF) + QStringLiteral("首") << all << "";
        // clang-format on
    }
    void find() {
        QFETCH(QString, query);
        QFETCH(QString, scope);
        QFETCH(QString, hits);
        const QList<Notebook> books = Fixture();
        const EntrySearch search(Pointers(books));
        QCOMPARE(Describe(search.Find(query, Scope(scope))), hits);
        QCOMPARE(Describe(FullScan(books, query, Scope(scope))), hits);
    }

    // The same search object asked again and again: earlier results it keeps must never show.
    void repeatedQueriesKeepNoStaleRows() {
        const QList<Notebook> books = Fixture();
        const EntrySearch search(Pointers(books));
        const SearchScope all = Scope(QStringLiteral("KMNO tcrs"));
        QCOMPARE(Describe(search.Find(QStringLiteral("甲"), all)), QStringLiteral("K1 K3 N1"));
        QCOMPARE(Describe(search.Find(QStringLiteral("甲乙"), Scope(QStringLiteral("KMNO t")))),
                 QStringLiteral("K1"));
        QCOMPARE(Describe(search.Find(QStringLiteral("甲乙"), all)), QStringLiteral("K1 K3 N1"));
        QCOMPARE(Describe(search.Find(QStringLiteral("甲乙"), Scope(QStringLiteral("MNO tcrs")))),
                 QStringLiteral("N1"));
        QCOMPARE(Describe(search.Find(QStringLiteral("甲乙"), all)), QStringLiteral("K1 K3 N1"));
        QCOMPARE(Describe(search.Find(QString(), all)), QString());
        QCOMPARE(Describe(search.Find(QStringLiteral("甲乙"), all)), QStringLiteral("K1 K3 N1"));
    }

    // Random notebooks over a small alphabet, so queries of a few characters hit some records and
    // miss others; queries typed, extended, backspaced and pasted, with the scope changing between
    // calls. Every answer must be the full scan's. Besides the frequent tokens (kept as bitmaps in
    // the index, and paired) there are rare ones (kept as record gaps, some longer than 127 records),
    // one that only M holds, one only headwords hold and one that stands only inside markup.
    // Known classes: with folding on, each member finds the records of every member, in both
    // directions; off, each finds only its own. Look-alikes that are not variants stay apart.
    void foldClasses_data() {
        QTest::addColumn<QString>("members");
        for (const char *c : {"学學", "为為爲", "说說", "后後", "乡鄉", "里裡裏", "着著", "发發髮", "国國"})
            QTest::newRow(c) << QString::fromUtf8(c);
    }
    void foldClasses() {
        QFETCH(QString, members);
        QList<Notebook> books(4);
        for (QChar m : members)
            books[1].entries.append(
                Entry(QStringLiteral("甲") + m + QStringLiteral("乙"), QStringLiteral("內容")));
        books[1].entries.append(Entry(QStringLiteral("覺觉友")));
        const EntrySearch search(Pointers(books));
        SearchScope folded;
        folded.fold = true;
        QString all;
        for (int e = 0; e < members.size(); ++e)
            all += QStringLiteral(" M%1").arg(e);
        for (int e = 0; e < members.size(); ++e) {
            const QString query = QStringLiteral("甲") + members[e];
            QCOMPARE(Describe(search.Find(query, folded)), all.mid(1));
            QCOMPARE(Describe(search.Find(query, SearchScope())), QStringLiteral("M%1").arg(e));
            QCOMPARE(FoldClasses::Fold(members[e].unicode()), FoldClasses::Fold(members[0].unicode()));
        }
    }
    void foldKeepsLookAlikesApart() {
        for (const char *pair : {"学覺", "学觉", "发友", "后候", "国圖", "里理"}) {
            const QString p = QString::fromUtf8(pair);
            QVERIFY2(FoldClasses::Fold(p[0].unicode()) != FoldClasses::Fold(p[1].unicode()), pair);
        }
        QVERIFY(FoldClasses::ClassCount() > 1000); // the table was written from the real data
        QCOMPARE(FoldClasses::Folded(QStringLiteral("abc<b>")), QStringLiteral("abc<b>"));
    }

    // What a folded result's page marks: the forms found, each marked where it stands, tags whole.
    void foldedHighlightMarksFormsFound() {
        const NoteEntry e = Entry(QStringLiteral("學而"), QStringLiteral("爲学<b>學</b>"), QString(),
                                  QString(), QStringLiteral("<i>學</i>"));
        const QString highlight = FoldedHighlight(e, QStringLiteral("学"));
        QCOMPARE(highlight, QStringLiteral("學\n学"));
        QCOMPARE(HighlightWords(QStringLiteral("爲学<b>學</b>&amp;學"), highlight),
                 QStringLiteral("爲<span class='search'>学</span><b><span class='search'>學</span></b>&amp;"
                                "<span class='search'>學</span>"));
        // Two words from one place: the longer. Nothing found: the query itself, as an exact search.
        QCOMPARE(HighlightWords(QStringLiteral("為學爲"), QStringLiteral("為\n為學")),
                 QStringLiteral("<span class='search'>為學</span>爲"));
        QCOMPARE(FoldedHighlight(e, QStringLiteral("覺")), QStringLiteral("覺"));
    }

    void findAgreesWithFullScan() {
        QRandomGenerator rng(2024);
        const QStringList tokens = {QStringLiteral("甲"),  QStringLiteral("乙"),   QStringLiteral("丙"),
                                    QStringLiteral("a"),   QStringLiteral("b"),    QStringLiteral("<br>"),
                                    QStringLiteral("<i>"), QStringLiteral("</i>"), QStringLiteral(">"),
                                    QStringLiteral("<"),   QString(QChar(0xFFFF)), QStringLiteral("<x>")};
        auto text = [&](int book, int maxTokens) {
            QString s;
            for (int n = rng.bounded(maxTokens + 1); n > 0; --n) {
                const int pick = rng.bounded(1000);
                if (pick < 2)
                    s += QStringLiteral("戊");
                else if (pick < 12)
                    s += QStringLiteral("丁");
                else if (pick < 40 && book == 1)
                    s += QStringLiteral("己");
                else
                    s += tokens[rng.bounded(int(tokens.size()))];
            }
            return s;
        };
        QList<Notebook> books(4);
        for (int b = 0; b < 3; ++b) // the last notebook stays empty
            for (int e = 0; e < 700; ++e) {
                if (rng.bounded(8) == 0) {
                    books[b].entries.append(Page(text(b, 2)));
                    continue;
                }
                QString title = text(b, 6);
                if (rng.bounded(10) == 0) title += QStringLiteral("庚");
                books[b].entries.append(Entry(title, text(b, 10), text(b, 6), text(b, 6), text(b, 6)));
            }
        const EntrySearch search(Pointers(books));
        const QString alphabet = QStringLiteral("甲乙丙ab<>ri/x丁戊己庚辛") + QChar(0xFFFF);
        SearchScope scope;
        QString query;
        int nonEmpty = 0;
        for (int step = 0; step < 4000; ++step) {
            const int action = rng.bounded(20);
            if (action < 11)
                query += alphabet[rng.bounded(int(alphabet.size()))];
            else if (action < 15)
                query.chop(1);
            else if (action < 16)
                query.clear();
            else if (action < 17)
                query.prepend(alphabet[rng.bounded(int(alphabet.size()))]);
            else {
                bool *flags[] = {&scope.books[0], &scope.books[1], &scope.books[2], &scope.books[3],
                                 &scope.title,    &scope.content,  &scope.remark,   &scope.source};
                bool *flag = flags[rng.bounded(8)];
                *flag = !*flag;
            }
            if (query.size() > 5) query = query.right(2);
            const QList<NoteRef> expected = FullScan(books, query, scope);
            nonEmpty += !expected.isEmpty();
            const QList<NoteRef> found = search.Find(query, scope);
            if (found != expected)
                QFAIL(qPrintable(QStringLiteral("step %1, query \"%2\": %3 instead of %4")
                                     .arg(step)
                                     .arg(query, Describe(found), Describe(expected))));
        }
        QVERIFY(nonEmpty > 400); // the fixture does make hits
    }

    // Folding on: random notebooks over variant characters of the Basic Multilingual Plane and beyond
    // it (a class of both, one wholly beyond it), queries typed and backspaced a code point at a time,
    // scope and folding toggled between calls; each answer must be the folded (or exact) full scan's.
    void foldedFindAgreesWithFullScan() {
        QRandomGenerator rng(2026);
        QStringList tokens;
        for (const char32_t c :
             {U'学', U'學', U'斈', U'为', U'為', U'爲', U'后', U'後', U'甲', U'乙', U'<', U'>', U'\U0002C362',
              U'匱', U'櫃', U'\U0002005E', U'\U0002003E', U'\U00020325', U'a'})
            tokens << QString::fromUcs4(&c, 1);
        tokens << QStringLiteral("<b>");
        auto text = [&](int maxTokens) {
            QString s;
            for (int n = rng.bounded(maxTokens + 1); n > 0; --n)
                s += tokens[rng.bounded(int(tokens.size()))];
            return s;
        };
        QList<Notebook> books(4);
        for (int b = 0; b < 3; ++b)
            for (int e = 0; e < 500; ++e)
                books[b].entries.append(Entry(text(4), text(8), text(4), text(4), text(4)));
        const EntrySearch search(Pointers(books));
        SearchScope scope;
        scope.fold = true;
        QList<QString> query; // code points
        int nonEmpty = 0, differ = 0;
        for (int step = 0; step < 2500; ++step) {
            const int action = rng.bounded(20);
            if (action < 11)
                query.append(tokens[rng.bounded(int(tokens.size()))]);
            else if (action < 15 && !query.isEmpty())
                query.removeLast();
            else if (action < 16)
                query.clear();
            else if (action < 17)
                scope.fold = !scope.fold;
            else {
                bool *flags[] = {&scope.books[0], &scope.books[1], &scope.title,
                                 &scope.content,  &scope.remark,   &scope.source};
                bool *flag = flags[rng.bounded(6)];
                *flag = !*flag;
            }
            while (query.size() > 3)
                query.removeFirst();
            const QString q = query.join(QString());
            const QList<NoteRef> expected =
                scope.fold ? FoldedFullScan(books, q, scope) : FullScan(books, q, scope);
            nonEmpty += !expected.isEmpty();
            differ += scope.fold && expected != FullScan(books, q, scope);
            const QList<NoteRef> found = search.Find(q, scope);
            if (found != expected)
                QFAIL(qPrintable(QStringLiteral("step %1, query \"%2\" fold %3: %4 instead of %5")
                                     .arg(step)
                                     .arg(q)
                                     .arg(scope.fold)
                                     .arg(Describe(found), Describe(expected))));
        }
        QVERIFY(nonEmpty > 400);
        QVERIFY(differ > 200); // folding did change answers
    }

    // A rare character's records are kept as gaps of one, two or three bytes; the gaps here sit on
    // each side of those lengths, and the notebook is longer than 16-bit record numbers reach. Beside
    // it a frequent character, kept as a bitmap, to intersect with.
    void indexKeepsLongGaps() {
        std::vector<int> rare = {0};
        for (int gap : {1, 127, 128, 129, 16383, 16384, 16385, 40000})
            rare.push_back(rare.back() + gap);
        const int records = rare.back() + 1 + 20; // not a multiple of 64
        std::vector<QString> texts(size_t(records), QStringLiteral("z"));
        for (int e = 0; e < records; e += 3)
            texts[size_t(e)] = QStringLiteral("dz");
        for (int e : rare)
            texts[size_t(e)] += QStringLiteral("x");
        const CharIndex index = CharIndex::Build(
            records, [&](int e, const std::function<void(QStringView)> &add) { add(texts[size_t(e)]); });

        QCOMPARE(index.Records(u'x'), rare);
        QCOMPARE(index.RecordsWith(u'x'), int(rare.size()));
        std::vector<int> both;
        for (int e : rare)
            if (e % 3 == 0) both.push_back(e);
        QCOMPARE(index.Candidates(u"xd"), both);
        QCOMPARE(index.Candidates(u"dx"), both);
        QCOMPARE(index.Candidates(u"xq"), std::vector<int>());
        QCOMPARE(index.Records(u'd').size(), size_t((records + 2) / 3));
        QCOMPARE(int(index.Records(u'z').size()), records);
    }

    // In a notebook of a few records every unit is frequent; at most 128 of them are paired, the
    // rest kept as sets alone. Every unit, and every pair of neighbours in the text, must still be
    // found, and pairs that never stand together must not.
    void manyFrequentUnits() {
        QRandomGenerator rng(5);
        QList<Notebook> books(4);
        for (int e = 0; e < 3; ++e) {
            QString content;
            for (int i = 0; i < 400; ++i)
                content += QChar(char16_t(0x4E00 + rng.bounded(300)));
            books[0].entries.append(Entry(QStringLiteral("t"), content));
        }
        const EntrySearch search(Pointers(books));
        const SearchScope all;
        const QString &text = books[0].entries[0].content;
        for (qsizetype i = 0; i + 1 < text.size(); ++i) {
            const QString pair = text.mid(i, 2), swapped = QString(pair[1]) + pair[0];
            for (const QString &query : {QString(pair[0]), pair, swapped})
                QCOMPARE(Describe(search.Find(query, all)), Describe(FullScan(books, query, all)));
        }
    }

    // The finder against indexOf, for every choice of its two anchors, on texts short and long
    // enough for its eight-at-a-time comparison and its last few places one by one.
    void finderAgreesWithIndexOf() {
        QRandomGenerator rng(7);
        const QString alphabet = QStringLiteral("ab甲");
        auto random = [&](int maxSize) { return RandomText(rng, alphabet, maxSize); };
        for (int i = 0; i < 3000; ++i) {
            const QString text = random(40);
            QString needle = random(5);
            if (needle.isEmpty()) needle = QStringLiteral("a");
            const bool expected = text.indexOf(needle) >= 0;
            for (qsizetype first = 0; first < needle.size(); ++first)
                for (qsizetype second = 0; second < needle.size(); ++second)
                    if (SubstringFinder(needle, first, second).In(text) != expected)
                        QFAIL(qPrintable(QStringLiteral("\"%1\" in \"%2\", anchors %3 and %4")
                                             .arg(needle, text)
                                             .arg(first)
                                             .arg(second)));
        }
    }

    // The benchmarks' notes files: written, loaded by the reader, and the same records come back.
    void syntheticNotesLoadBack() {
        QList<Notebook> books;
        MakeSyntheticNotes(books, 200 * 1024, 5);
        QCOMPARE(books.size(), 4);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList paths = WriteSyntheticNotesFiles(books, dir.path());
        QCOMPARE(paths.size(), 4);
        QCOMPARE(QFileInfo(paths[0]).fileName(), QStringLiteral("velmora200_k.xml"));
        for (int b = 0; b < 4; ++b) {
            Notebook loaded;
            loaded.LoadNotes(paths[b]);
            const QList<NoteEntry> &want = books[b].entries;
            QVERIFY(want.size() > 20);
            QCOMPARE(loaded.entries.size(), want.size());
            for (int e = 0; e < want.size(); ++e) {
                const NoteEntry &l = loaded.entries[e], &w = want[e];
                QCOMPARE(l.isPage, w.isPage);
                QCOMPARE(l.pageImage, w.pageImage);
                QCOMPARE(l.title, w.title);
                QCOMPARE(l.lineCount, w.lineCount);
                QCOMPARE(l.content, w.content);
                QCOMPARE(l.note, w.note);
                QCOMPARE(l.remark, w.remark);
                QCOMPARE(l.source, w.source);
                QCOMPARE(l.x, w.x);
                QCOMPARE(l.y, w.y);
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestSearch)
#include "tst_search.moc"
