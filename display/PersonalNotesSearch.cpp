#include "display/PersonalNotesSearch.h"

#include "display/FoldClasses.h"
#include "display/SubstringFinder.h"

#include <algorithm>

namespace {

bool Before(const NoteRef &a, const NoteRef &b) {
    return a.book != b.book ? a.book < b.book : a.entry < b.entry;
}

} // namespace

PersonalNotesSearch::PersonalNotesSearch(const QList<std::pair<NoteRef, QString>> &notes) {
    std::vector<size_t> order(size_t(notes.size()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return Before(notes[qsizetype(a)].first, notes[qsizetype(b)].first);
    });
    qsizetype size = 0;
    for (const auto &n : notes)
        size += n.second.size();
    exact_.text.reserve(size);
    for (size_t i : order) {
        refs_.push_back(notes[qsizetype(i)].first);
        exact_.starts.push_back(exact_.text.size());
        exact_.text += notes[qsizetype(i)].second;
    }
    exact_.starts.push_back(exact_.text.size());
}

QList<NoteRef> PersonalNotesSearch::Find(const QString &query, const SearchScope &scope) const {
    QList<NoteRef> rows;
    if (query.isEmpty()) return rows;
    if (scope.fold) PrepareFolded();
    const Texts &texts = scope.fold ? folded_ : exact_;
    const QString wanted = scope.fold ? FoldClasses::Folded(query) : query;
    // A few thousand short notes: a test of each is well within a keystroke, with no index to keep.
    const SubstringFinder finder(wanted, 0, wanted.size() - 1);
    for (size_t i = 0; i < refs_.size(); ++i) {
        const int book = refs_[i].book;
        if (book < 0 || book >= kNotebookCount || !scope.books[book]) continue;
        if (finder.In(texts.Of(i))) rows.append(refs_[i]);
    }
    return rows;
}

void PersonalNotesSearch::PrepareFolded() const {
    if (foldedReady_) return;
    folded_.text.reserve(exact_.text.size()); // folding keeps or shortens a text
    folded_.starts.reserve(exact_.starts.size());
    for (size_t i = 0; i < refs_.size(); ++i) {
        folded_.starts.push_back(folded_.text.size());
        FoldClasses::AppendFolded(folded_.text, exact_.Of(i));
    }
    folded_.starts.push_back(folded_.text.size());
    foldedReady_ = true;
}

QList<NoteRef> MergeSearchRows(const QList<NoteRef> &entries, const QList<NoteRef> &notes) {
    if (notes.isEmpty()) return entries;
    QList<NoteRef> rows;
    rows.reserve(entries.size() + notes.size());
    auto e = entries.cbegin(), n = notes.cbegin();
    while (e != entries.cend() || n != notes.cend()) {
        if (n == notes.cend() || (e != entries.cend() && Before(*e, *n))) {
            rows.append(*e++);
        } else if (e == entries.cend() || Before(*n, *e)) {
            rows.append(*n++);
        } else {
            rows.append(*e++);
            ++n;
        }
    }
    return rows;
}
