#include "display/Search.h"

#include "display/FoldClasses.h"
#include "display/SubstringFinder.h"

#include <algorithm>
#include <climits>
#include <future>
#include <iterator>
#include <system_error>

namespace {

// Field check boxes as bits of one mask.
enum FieldBit : unsigned { TitleBit = 1, ContentBit = 2, RemarkBit = 4, SourceBit = 8 };
constexpr unsigned kAllFields = TitleBit | ContentBit | RemarkBit | SourceBit;

// Cached results beyond these limits are dropped, oldest first.
constexpr size_t kMaxCached = 16;
constexpr size_t kMaxCachedHits = 8u << 20;

unsigned FieldMask(const SearchScope &scope) {
    return (scope.title ? TitleBit : 0u) | (scope.content ? ContentBit : 0u) |
           (scope.remark ? RemarkBit : 0u) | (scope.source ? SourceBit : 0u);
}

// Appends the text with its markup runs removed; returns false, appending nothing, when there is none.
// Each removal leaves no "<" or ">" in front of the cut, so the next run is looked for after it: the
// first "<" and the first ">" of what is left are the first ones at or after `pos`. Each character is
// looked at at most twice.
bool AppendStripped(QString &out, QStringView text) {
    qsizetype pos = 0;
    bool cut = false;
    for (;;) {
        const qsizetype open = text.indexOf(QLatin1Char('<'), pos);
        if (open < 0) break;
        const qsizetype close = text.indexOf(QLatin1Char('>'), pos);
        if (close < open) // no ">" left, or the first one stands before the "<": removal stops for good
            break;
        out += text.mid(pos, open - pos);
        pos = close + 1;
        cut = true;
    }
    if (cut) out += text.mid(pos);
    return cut;
}

} // namespace

QString StripTags(const QString &text) {
    QString out;
    out.reserve(text.size());
    return AppendStripped(out, text) ? out : text;
}

namespace {

// Runs build(b) for each notebook b. Large notebooks are prepared side by side, each on its own
// thread: the index is most of the work, and the first keystroke may be waiting for it. Small ones
// (and all, without a thread to be had) here: a thread would cost more than it saves.
template <typename Build> void ForEachBook(const std::vector<qsizetype> &records, const Build &build) {
    constexpr qsizetype kRecordsWorthAThread = 2000; // a notebook of about two megabytes
    std::vector<std::future<void>> builds;
    for (size_t b = 0; b < records.size(); ++b) {
        if (records[b] < kRecordsWorthAThread) {
            build(b);
            continue;
        }
        try {
            builds.push_back(std::async(std::launch::async, [&build, b] { build(b); }));
        } catch (const std::system_error &) {
            build(b);
        }
    }
    for (std::future<void> &f : builds)
        f.get();
}

} // namespace

QString FoldedHighlight(const NoteEntry &entry, const QString &query) {
    QStringList forms;
    for (const QString *text : {&entry.title, &entry.content, &entry.note, &entry.remark, &entry.source})
        for (const QString &plain : {*text, StripTags(*text)})
            for (const QString &form : FoldClasses::FoundForms(plain, query))
                if (!forms.contains(form)) forms << form;
    return forms.isEmpty() ? query : forms.join(QLatin1Char('\n'));
}

EntrySearch::EntrySearch(const QList<const Notebook *> &notebooks) {
    books_.resize(size_t(notebooks.size()));
    std::vector<qsizetype> records;
    for (const Notebook *n : notebooks)
        records.push_back(n ? n->entries.size() : 0);
    ForEachBook(records, [this, &notebooks](size_t b) {
        if (notebooks[qsizetype(b)]) BuildBook(books_[b], notebooks[qsizetype(b)]->entries);
    });
}

void EntrySearch::PrepareFolded() const {
    if (foldedReady_) return;
    folded_.assign(books_.size(), Book());
    std::vector<qsizetype> records;
    for (const Book &b : books_)
        records.push_back(b.count);
    ForEachBook(records, [this](size_t b) { BuildFolded(folded_[b], books_[b]); });
    foldedReady_ = true;
}

void EntrySearch::BuildFolded(Book &folded, const Book &exact) {
    folded.count = exact.count;
    folded.text.reserve(exact.text.size()); // folding keeps or shortens a text
    folded.starts.reserve(exact.starts.size());
    for (int e = 0; e < exact.count; ++e)
        for (int k = 0; k < KindCount; ++k) {
            folded.starts.push_back(folded.text.size());
            FoldClasses::AppendFolded(folded.text, exact.Of(e, k));
        }
    folded.starts.push_back(folded.text.size());
    folded.text.squeeze();
    IndexBook(folded);
}

void EntrySearch::BuildBook(Book &book, const QList<NoteEntry> &entries) {
    book.count = int(entries.size());

    // Stripping only shortens a text, so the raw sizes bound the buffer.
    qsizetype size = 0;
    for (const NoteEntry &e : entries)
        size += e.title.size() + e.content.size() + e.note.size() + e.remark.size() + e.source.size();
    book.text.reserve(size);
    book.starts.reserve(size_t(entries.size()) * KindCount + 1);
    for (const NoteEntry &e : entries) {
        const QString *raw[KindCount] = {&e.title, &e.content, &e.note, &e.remark, &e.source};
        for (int k = 0; k < KindCount; ++k) {
            book.starts.push_back(book.text.size());
            if (k < Note || !AppendStripped(book.text, *raw[k])) book.text += *raw[k];
        }
    }
    book.starts.push_back(book.text.size());
    book.text.squeeze();
    IndexBook(book);
}

void EntrySearch::IndexBook(Book &book) {
    // Exactly the texts the buffer holds, so that a unit's set is the answer to a one-unit query;
    // each text on its own, as no match reaches from one into the next.
    book.index = CharIndex::Build(book.count, [&book](int e, const std::function<void(QStringView)> &add) {
        for (int k = 0; k < KindCount; ++k)
            add(book.Of(e, k));
    });
}

qint64 EntrySearch::IndexBytes() const {
    qint64 bytes = 0;
    for (const Book &b : books_)
        bytes += b.index.Bytes();
    return bytes;
}

qint64 EntrySearch::FoldedBytes() const {
    qint64 bytes = 0;
    for (const Book &b : folded_)
        bytes += b.index.Bytes() + b.text.capacity() * qint64(sizeof(QChar)) +
                 qint64(b.starts.capacity() * sizeof(qsizetype));
    return bytes;
}

namespace {

// The kinds of text (title, content, note, remark, source: 0 to 4) a field mask searches, in the
// order they are tried; the content box covers the collation notes too. Returns how many there are.
int KindsOf(unsigned fields, int *kinds) {
    int n = 0;
    if (fields & TitleBit) kinds[n++] = 0;
    if (fields & ContentBit) {
        kinds[n++] = 1;
        kinds[n++] = 2;
    }
    if (fields & RemarkBit) kinds[n++] = 3;
    if (fields & SourceBit) kinds[n++] = 4;
    return n;
}

std::vector<int> Intersect(const std::vector<int> &a, const std::vector<int> &b) {
    std::vector<int> both;
    both.reserve(std::min(a.size(), b.size()));
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(both));
    return both;
}

} // namespace

std::vector<int> EntrySearch::Verify(const Book &book, const QString &query, unsigned fields,
                                     const std::vector<int> &candidates) const {
    // The anchors: the query's two rarest units in this notebook, at different places, so that few
    // places pass the first look; a query of one repeated unit takes its first and last place.
    qsizetype first = 0, second = query.size() - 1;
    std::vector<int> holders(size_t(query.size()));
    for (qsizetype i = 0; i < query.size(); ++i) {
        holders[size_t(i)] = book.index.RecordsWith(query[i].unicode());
        if (holders[size_t(i)] < holders[size_t(first)]) first = i;
    }
    int fewest = INT_MAX;
    for (qsizetype i = 0; i < query.size(); ++i)
        if (query[i] != query[first] && holders[size_t(i)] < fewest) {
            fewest = holders[size_t(i)];
            second = i;
        }
    const SubstringFinder finder(query, first, second);

    int kinds[KindCount];
    const int kindCount = KindsOf(fields, kinds);
    std::vector<int> hits;
    const size_t n = candidates.size();
    for (size_t i = 0; i < n; ++i) {
        // The records a few ahead are asked from memory now, so that they are there when their
        // turn comes: the wait for memory, not the comparing, is what a record costs.
        if (i + 8 < n) __builtin_prefetch(&book.starts[size_t(candidates[i + 8]) * KindCount]);
        if (i + 4 < n) {
            const qsizetype at = book.starts[size_t(candidates[i + 4]) * KindCount];
            __builtin_prefetch(book.text.constData() + at);
            __builtin_prefetch(book.text.constData() + at + 32);
        }
        const int e = candidates[i];
        for (int k = 0; k < kindCount; ++k)
            if (finder.In(book.Of(e, kinds[k]))) {
                hits.push_back(e);
                break;
            }
    }
    return hits;
}

const std::vector<int> &EntrySearch::HitsOf(int book, const QString &query, unsigned fields,
                                            bool fold) const {
    // The cached result of this very query and fields, brought to the back as the latest.
    auto same = std::find_if(cache_.begin(), cache_.end(), [&](const Cached &c) {
        return c.fields == fields && c.fold == fold && c.query == query;
    });
    if (same != cache_.end()) {
        std::rotate(same, same + 1, cache_.end());
        if (cache_.back().known[book]) return cache_.back().hits[book];
    } else {
        Cached c;
        c.query = query;
        c.fields = fields;
        c.fold = fold;
        cache_.push_back(std::move(c));
    }

    const Book &bk = fold ? folded_[size_t(book)] : books_[size_t(book)];
    std::vector<int> hits;
    if (query.size() == 1 && fields == kAllFields) {
        // Every text of the notebook went into the index: the unit's set is the answer.
        hits = bk.index.Records(query[0].unicode());
    } else {
        // A record that holds the query in one of these fields holds any part of it in the same field,
        // so the hits of an earlier query that the query contains, searched in at least these fields,
        // hold all of this query's hits; so do the records that hold each of its units.
        const std::vector<int> *narrowest = nullptr;
        for (size_t i = 0; i + 1 < cache_.size(); ++i) {
            const Cached &c = cache_[i];
            if (c.known[book] && c.fold == fold && (fields & ~c.fields) == 0 && query.contains(c.query) &&
                (!narrowest || c.hits[book].size() < narrowest->size()))
                narrowest = &c.hits[book];
        }
        std::vector<int> candidates = bk.index.Candidates(query);
        if (narrowest) candidates = Intersect(candidates, *narrowest);
        hits = Verify(bk, query, fields, candidates);
    }

    Cached &mine = cache_.back();
    mine.hits[book] = std::move(hits);
    mine.known[book] = true;

    size_t stored = 0;
    for (const Cached &c : cache_)
        for (const auto &h : c.hits)
            stored += h.size();
    size_t drop = 0;
    while (drop + 1 < cache_.size() && (cache_.size() - drop > kMaxCached || stored > kMaxCachedHits)) {
        for (const auto &h : cache_[drop].hits)
            stored -= h.size();
        ++drop;
    }
    cache_.erase(cache_.begin(), cache_.begin() + drop);
    return cache_.back().hits[book];
}

QList<NoteRef> EntrySearch::Find(const QString &query, const SearchScope &scope) const {
    QList<NoteRef> rows;
    const unsigned fields = FieldMask(scope);
    if (query.isEmpty() || fields == 0) return rows;
    if (scope.fold) PrepareFolded();
    const QString wanted = scope.fold ? FoldClasses::Folded(query) : query;
    for (int b = 0; b < int(books_.size()) && b < kNotebookCount; ++b) {
        if (!scope.books[b] || books_[size_t(b)].count == 0) continue;
        const std::vector<int> &hits = HitsOf(b, wanted, fields, scope.fold);
        rows.reserve(rows.size() + qsizetype(hits.size()));
        for (int e : hits)
            rows.append(NoteRef{b, e});
    }
    return rows;
}
