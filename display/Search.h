#pragma once
// The search of the loaded notebooks for a typed text: an exact, case-sensitive substring test of
// each record's fields. The results are those of a full scan of every record, in book order and then
// record order, one row per record at most. Since it runs on every keystroke, only the records that
// hold every character of the query (by a character index) or that held an earlier part of it are
// tested, in a precomputed buffer.
//
// With folding on, a query character matches every character of its variant class (FoldClasses):
// the same search runs over a second, folded copy of the buffers and its own index, built when
// folding is first asked for (or ahead of time by PrepareFolded), so that the exact search costs
// nothing more while folding stays off.

#include "corpus/Notebooks.h"
#include "display/CharIndex.h"

#include <QList>
#include <QString>
#include <array>
#include <vector>

// Removes markup runs: while the text has a "<" before its first ">", the run from the first "<" to
// the first ">" (both included) goes. "x<b>y</b>z" gives "xyz"; "a>b<i>c" stays as it is. Linear.
QString StripTags(const QString &text);

// What the entry page marks for a result of a folded search for `query`: the forms found in the
// record's texts (its fields as stored and without their tags), one a line as HighlightWords takes
// them; the query itself when there are none.
QString FoldedHighlight(const NoteEntry &entry, const QString &query);

struct SearchScope {
    bool books[kNotebookCount] = {true, true, true, true}; // book order K, M, N, O
    bool title = true, content = true, remark = true, source = true;
    bool fold = false; // match across variant characters
};

class EntrySearch {
public:
    // Book order; the notebooks are kept alive by the caller and their texts must not change.
    explicit EntrySearch(const QList<const Notebook *> &notebooks);

    // The records that hold `query` in a field the scope selects: the headword and the content as
    // stored, and the collation notes (with the content), remarks and sources without their tags.
    // With scope.fold, compared after folding both (FoldClasses).
    QList<NoteRef> Find(const QString &query, const SearchScope &scope) const;

    // Builds the folded buffers and indexes now (large notebooks side by side) rather than at the
    // first folded search. Not to be called while another thread searches.
    void PrepareFolded() const;
    bool FoldedReady() const { return foldedReady_; }

    // Memory held by the character indexes of all notebooks, in bytes.
    qint64 IndexBytes() const;
    // Memory held by the folded buffers and their indexes (0 before they are built), in bytes.
    qint64 FoldedBytes() const;

private:
    // Field kinds: the texts a record has searched, in the order they are tried.
    enum Kind { Title, Content, Note, Remark, Source, KindCount };
    // All texts of one book in one buffer, record after record and each record's kinds one after
    // another, so that testing a record reads one stretch of memory; starts[e * KindCount + k] is
    // where kind k of record e begins, and starts[count * KindCount] is the end of the buffer.
    struct Book {
        int count = 0;
        QString text;
        std::vector<qsizetype> starts;
        CharIndex index; // over exactly these texts
        QStringView Of(int entry, int kind) const {
            const size_t at = size_t(entry) * KindCount + size_t(kind);
            return QStringView(text).mid(starts[at], starts[at + 1] - starts[at]);
        }
    };
    // A remembered result: the records of each book that hold `query` in the fields of `fields`.
    struct Cached {
        QString query; // folded when `fold`
        bool fold = false;
        unsigned fields = 0;
        std::array<bool, kNotebookCount> known{};
        std::array<std::vector<int>, kNotebookCount> hits;
    };

    static void BuildBook(Book &book, const QList<NoteEntry> &entries);
    static void BuildFolded(Book &folded, const Book &exact);
    static void IndexBook(Book &book);
    std::vector<int> Verify(const Book &book, const QString &query, unsigned fields,
                            const std::vector<int> &candidates) const;
    const std::vector<int> &HitsOf(int book, const QString &query, unsigned fields, bool fold) const;

    std::vector<Book> books_;
    mutable std::vector<Book> folded_; // the same texts folded, once asked for
    mutable bool foldedReady_ = false;
    // Recent queries, the latest last: typing on narrows the one before, backspacing finds it again.
    mutable std::vector<Cached> cache_;
};
