#pragma once
// The search of the loaded notebooks for a typed text: an exact, case-sensitive substring test of
// each record's fields. The results are those of a full scan of every record, in book order and then
// record order, one row per record at most; the scan itself runs over precomputed buffers and narrows
// earlier results where it can, since it runs on every keystroke.

#include "corpus/Data.h"

#include <QList>
#include <QString>
#include <array>
#include <vector>

// Removes markup runs: while the text has a "<" before its first ">", the run from the first "<" to
// the first ">" (both included) goes. "x<b>y</b>z" gives "xyz"; "a>b<i>c" stays as it is. Linear.
QString StripTags(const QString &text);

struct SearchScope {
    bool books[4] = {true, true, true, true}; // book order K, M, N, O
    bool title = true, content = true, remark = true, source = true;
};
struct SearchHit {
    int book;
    int entry;
};
inline bool operator==(const SearchHit &a, const SearchHit &b) {
    return a.book == b.book && a.entry == b.entry;
}

class EntrySearch {
public:
    // Book order; the notebooks are kept alive by the caller and their texts must not change.
    explicit EntrySearch(const QList<const Notebook *> &notebooks);

    // The records that hold `query` in a field the scope selects: the headword and the content as
    // stored, and the collation notes (with the content), remarks and sources without their tags.
    QList<SearchHit> Find(const QString &query, const SearchScope &scope) const;

private:
    // Field kinds, each searched in its own buffer.
    enum Kind { Title, Content, Note, Remark, Source, KindCount };
    // All texts of one kind in one book, one after another, each followed by a separator character,
    // so one search runs over many records; starts[e] is where record e's text begins, and
    // starts[count] is the end of the buffer.
    struct Buffer {
        QString text;
        std::vector<qsizetype> starts;
    };
    struct Book {
        int count = 0;
        std::array<Buffer, KindCount> buffers;
    };
    // A remembered result: the records of each book that hold `query` in the fields of `fields`.
    struct Cached {
        QString query;
        unsigned fields = 0;
        std::array<bool, 4> known{};
        std::array<std::vector<int>, 4> hits;
    };

    std::vector<int> ScanBook(int book, const QString &query, unsigned fields) const;
    std::vector<int> NarrowBook(int book, const QString &query, unsigned fields,
                                const std::vector<int> &candidates) const;
    bool RecordHolds(const Book &book, int entry, const QString &query, unsigned fields) const;
    const std::vector<int> &HitsOf(int book, const QString &query, unsigned fields) const;

    std::vector<Book> books_;
    // Recent queries, the latest last: typing on narrows the one before, backspacing finds it again.
    mutable std::vector<Cached> cache_;
};
