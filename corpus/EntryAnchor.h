#pragma once
// Where an entry record is, said by its content rather than its index, so that it is found again after
// another program added or removed records above it: the notebook, the headword, the page it stands on,
// which of the equal headwords on that page it is, and the headwords beside it. Unsaved positions and
// the reader's own marks are keyed this way.

#include "corpus/NoteRef.h"
#include "corpus/Records.h"

#include <QList>

#include <QJsonObject>
#include <QString>

struct EntryAnchor {
    int book = -1;
    QString title;      // the headword as the notes file holds it
    QString page;       // the page record's name (without brackets), empty before the first page line
    int occurrence = 0; // among the records of the same headword on the same page, counted from 0
    QString before;     // the headword of the entry record before it in the notebook, empty for none
    QString after;      // the headword of the entry record after it, empty for none
    int record = -1;    // the index it had when the anchor was taken: a hint, never trusted alone

    bool IsValid() const { return book >= 0 && !title.isNull(); }
    friend bool operator==(const EntryAnchor &a, const EntryAnchor &b) {
        return a.book == b.book && a.title == b.title && a.page == b.page && a.occurrence == b.occurrence;
    }

    QJsonObject ToJson() const;
    // An anchor read back; IsValid() false when the object does not hold one.
    static EntryAnchor FromJson(const QJsonObject &object);
};

// The name of a page record's page: its title without the brackets of "[name]".
QString PageNameOf(const NoteEntry &page);

// The anchor of an entry record of a notebook's records; invalid for a page record or a reference outside the
// notebook.
EntryAnchor AnchorOf(const QList<NoteEntry> &records, NoteRef ref);

// The record an anchor names in a notebook's `records` as they are now, or -1 when no record can be said to
// be it. The headword, page and occurrence decide; when the page line was renamed or removed, a single record
// of that headword whose neighbours agree is taken; the old index only breaks a tie between equals.
int FindAnchor(const QList<NoteEntry> &records, const EntryAnchor &anchor);
