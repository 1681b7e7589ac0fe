#include "corpus/AnchorIndex.h"

#include <cstdlib>

AnchorIndex::AnchorIndex(const Notebook &notebook) : notebook_(notebook) {
    const QList<NoteEntry> &entries = notebook.entries;
    // Occurrences count among the records of one headword on one page: reset at each page line.
    QHash<QString, int> onPage;
    int page = -1;
    for (qsizetype r = 0; r < entries.size(); ++r) {
        const NoteEntry &e = entries[r];
        if (e.isPage) {
            pages_.push_back(e.title.mid(1, e.title.size() - 2));
            pageNames_.insert(pages_.back());
            page = int(pages_.size()) - 1;
            onPage.clear();
            continue;
        }
        byTitle_[e.title].push_back(Place{int(r), page, onPage[e.title]++});
    }
}

QString AnchorIndex::Neighbour(int record, int step) const {
    const QList<NoteEntry> &entries = notebook_.entries;
    for (qsizetype r = record + step; r >= 0 && r < entries.size(); r += step)
        if (!entries[r].isPage) return entries[r].title;
    return QString();
}

int AnchorIndex::Find(const EntryAnchor &anchor) const {
    if (!anchor.IsValid()) return -1;
    const auto it = byTitle_.constFind(anchor.title);
    if (it == byTitle_.cend()) return -1;
    const std::vector<Place> &places = *it;
    // The same order of preference as FindAnchor: same page and occurrence (nearest the old index),
    // then the one record among the same neighbours, then the only record when the page is gone.
    int found = -1;
    for (const Place &p : places)
        if (PageOf(p.page) == anchor.page && p.occurrence == anchor.occurrence &&
            (found < 0 || std::abs(p.record - anchor.record) < std::abs(found - anchor.record)))
            found = p.record;
    if (found >= 0) return found;
    int neighbours = 0;
    for (const Place &p : places)
        if (Neighbour(p.record, -1) == anchor.before && Neighbour(p.record, +1) == anchor.after) {
            ++neighbours;
            found = p.record;
        }
    if (neighbours == 1) return found;
    if (places.size() == 1 && !pageNames_.contains(anchor.page)) return places.front().record;
    return -1;
}
