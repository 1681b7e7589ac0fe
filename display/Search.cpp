#include "display/Search.h"

#include <algorithm>
#include <numeric>

namespace {

// Ends each text in a search buffer. A match that does not hold this character cannot reach from one
// record into the next; a query that holds it is tested record by record instead.
constexpr QChar kSeparator(0xFFFF);

// Field check boxes as bits of one mask.
enum FieldBit : unsigned { TitleBit = 1, ContentBit = 2, RemarkBit = 4, SourceBit = 8 };

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

EntrySearch::EntrySearch(const QList<const Notebook *> &notebooks) {
    books_.resize(notebooks.size());
    for (qsizetype b = 0; b < notebooks.size(); ++b) {
        if (!notebooks[b]) continue;
        const QList<NoteEntry> &entries = notebooks[b]->entries;
        Book &book = books_[b];
        book.count = int(entries.size());

        // Stripping only shortens a text, so the raw sizes bound every buffer.
        std::array<qsizetype, KindCount> sizes{};
        for (const NoteEntry &e : entries) {
            sizes[Title] += e.title.size() + 1;
            sizes[Content] += e.content.size() + 1;
            sizes[Note] += e.note.size() + 1;
            sizes[Remark] += e.remark.size() + 1;
            sizes[Source] += e.source.size() + 1;
        }
        for (int k = 0; k < KindCount; ++k) {
            book.buffers[k].text.reserve(sizes[k]);
            book.buffers[k].starts.reserve(entries.size() + 1);
        }
        for (const NoteEntry &e : entries) {
            const QString *raw[KindCount] = {&e.title, &e.content, &e.note, &e.remark, &e.source};
            for (int k = 0; k < KindCount; ++k) {
                Buffer &buf = book.buffers[k];
                buf.starts.push_back(buf.text.size());
                if (k < Note || !AppendStripped(buf.text, *raw[k])) buf.text += *raw[k];
                buf.text += kSeparator;
            }
        }
        for (Buffer &buf : book.buffers) {
            buf.starts.push_back(buf.text.size());
            buf.text.squeeze();
        }
    }
}

namespace {

// The buffers a field mask searches; the content box covers the collation notes too.
template <typename F> void ForEachKind(unsigned fields, F f) {
    if (fields & TitleBit) f(0);
    if (fields & ContentBit) {
        f(1);
        f(2);
    }
    if (fields & RemarkBit) f(3);
    if (fields & SourceBit) f(4);
}

} // namespace

bool EntrySearch::RecordHolds(const Book &book, int entry, const QString &query, unsigned fields) const {
    bool found = false;
    ForEachKind(fields, [&](int k) {
        if (found) return;
        const Buffer &buf = book.buffers[k];
        const qsizetype start = buf.starts[entry];
        const qsizetype size = buf.starts[entry + 1] - 1 - start; // without the separator
        if (size >= query.size() && QStringView(buf.text).mid(start, size).indexOf(query) >= 0) found = true;
    });
    return found;
}

std::vector<int> EntrySearch::NarrowBook(int book, const QString &query, unsigned fields,
                                         const std::vector<int> &candidates) const {
    std::vector<int> hits;
    const Book &bk = books_[book];
    for (int e : candidates)
        if (RecordHolds(bk, e, query, fields)) hits.push_back(e);
    return hits;
}

std::vector<int> EntrySearch::ScanBook(int book, const QString &query, unsigned fields) const {
    const Book &bk = books_[book];
    if (query.contains(kSeparator)) {
        std::vector<int> all(bk.count);
        std::iota(all.begin(), all.end(), 0);
        return NarrowBook(book, query, fields, all);
    }

    // One search per buffer; after a match the search goes on at the next record, since a record
    // gives one row however often it holds the query.
    std::vector<char> marked(bk.count, 0);
    ForEachKind(fields, [&](int k) {
        const Buffer &buf = bk.buffers[k];
        const QStringView text(buf.text);
        const auto first = buf.starts.begin();
        auto from = first;
        qsizetype pos = 0;
        for (;;) {
            const qsizetype at = text.indexOf(query, pos);
            if (at < 0) break;
            from = std::upper_bound(from, buf.starts.end(), at) - 1;
            const auto e = from - first;
            marked[e] = 1;
            pos = buf.starts[e + 1];
        }
    });
    std::vector<int> hits;
    for (int e = 0; e < bk.count; ++e)
        if (marked[e]) hits.push_back(e);
    return hits;
}

const std::vector<int> &EntrySearch::HitsOf(int book, const QString &query, unsigned fields) const {
    // The cached result of this very query and fields, brought to the back as the latest.
    auto same = std::find_if(cache_.begin(), cache_.end(),
                             [&](const Cached &c) { return c.fields == fields && c.query == query; });
    if (same != cache_.end()) {
        std::rotate(same, same + 1, cache_.end());
        if (cache_.back().known[book]) return cache_.back().hits[book];
    } else {
        Cached c;
        c.query = query;
        c.fields = fields;
        cache_.push_back(std::move(c));
    }

    // A record that holds the query in one of these fields holds any part of it in the same field, so
    // the hits of an earlier query that the query contains, searched in at least these fields, hold
    // all of this query's hits. Narrowing pays when they are few against the book's records.
    const std::vector<int> *narrowest = nullptr;
    for (size_t i = 0; i + 1 < cache_.size(); ++i) {
        const Cached &c = cache_[i];
        if (c.known[book] && (fields & ~c.fields) == 0 && query.contains(c.query) &&
            (!narrowest || c.hits[book].size() < narrowest->size()))
            narrowest = &c.hits[book];
    }
    std::vector<int> hits = narrowest && narrowest->size() * 2 <= size_t(books_[book].count)
                                ? NarrowBook(book, query, fields, *narrowest)
                                : ScanBook(book, query, fields);

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

QList<SearchHit> EntrySearch::Find(const QString &query, const SearchScope &scope) const {
    QList<SearchHit> rows;
    const unsigned fields = FieldMask(scope);
    if (query.isEmpty() || fields == 0) return rows;
    for (int b = 0; b < int(books_.size()) && b < 4; ++b) {
        if (!scope.books[b] || books_[b].count == 0) continue;
        const std::vector<int> &hits = HitsOf(b, query, fields);
        rows.reserve(rows.size() + qsizetype(hits.size()));
        for (int e : hits)
            rows.append(SearchHit{b, e});
    }
    return rows;
}
