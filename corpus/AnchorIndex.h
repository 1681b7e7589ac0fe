#pragma once
// Finding many anchors in one notebook: FindAnchor looks through the whole notebook for each anchor,
// which the reader's own marks (thousands of them, over notebooks of a hundred thousand records) cannot
// afford at every reading of a notebook. The index groups the records by headword once, with the page
// and occurrence each has, and gives the same answer as FindAnchor.

#include "corpus/Data.h"
#include "corpus/EntryAnchor.h"

#include <QHash>
#include <QSet>
#include <vector>

class AnchorIndex {
public:
    // The notebook must stay alive and unchanged while the index is used.
    explicit AnchorIndex(const Notebook &notebook);

    // What FindAnchor(notebook, anchor) says.
    int Find(const EntryAnchor &anchor) const;

private:
    struct Place {
        int record;
        int page; // index into pages_, -1 before the first page line
        int occurrence;
    };
    QString PageOf(int page) const { return page < 0 ? QString() : pages_[size_t(page)]; }
    QString Neighbour(int record, int step) const;

    const Notebook &notebook_;
    std::vector<QString> pages_;
    QSet<QString> pageNames_;
    QHash<QString, std::vector<Place>> byTitle_;
};
