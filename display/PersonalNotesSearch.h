#pragma once
// The search in the reader's own notes, the field "我的筆記" beside the teacher's fields: the same exact,
// case-sensitive substring test (or, with folding, across variant characters) over the personal note
// of each entry found in the notebooks. The notes are plain text, so nothing is stripped. A search with
// the box ticked shows the records either search finds, each once, in book order and record order.

#include "display/Search.h"

#include <QList>
#include <QString>
#include <utility>
#include <vector>

class PersonalNotesSearch {
public:
    // The notes of the entries found (ReaderMarks::Notes()), one per record; any order.
    explicit PersonalNotesSearch(const QList<std::pair<NoteRef, QString>> &notes);

    // The records whose note holds `query`, in the notebooks the scope selects, in book and record
    // order; compared after folding both with scope.fold. The scope's field boxes are not asked: the
    // "我的筆記" box decides whether this search runs at all.
    QList<NoteRef> Find(const QString &query, const SearchScope &scope) const;

    // Makes the folded copy of the notes now rather than at the first folded search.
    void PrepareFolded() const;

    int Count() const { return int(refs_.size()); }

private:
    // All notes in one buffer, note after note: starts[i] is where note i begins, starts.back() the end.
    struct Texts {
        QString text;
        std::vector<qsizetype> starts;
        QStringView Of(size_t i) const { return QStringView(text).mid(starts[i], starts[i + 1] - starts[i]); }
    };
    std::vector<NoteRef> refs_; // book and record order
    Texts exact_;
    mutable Texts folded_; // made at the first folded search
    mutable bool foldedReady_ = false;
};

// The rows of the entries search and of the notes search together: each record once, in book order and
// record order (both lists in that order).
QList<NoteRef> MergeSearchRows(const QList<NoteRef> &entries, const QList<NoteRef> &notes);
