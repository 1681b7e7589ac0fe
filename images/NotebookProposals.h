#pragma once
// Proposals for a whole notebook, as the capture meets its entries: the entries grouped by their scan,
// each scan's layout read once, and the notebook's habits learnt from its placed entries. Used by
// `velmora-notes propose` and the bench; the window draws on the same parts one scan at a time.

#include "corpus/Records.h"
#include "images/PositionProposals.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

struct EntryProposal {
    int record = 0; // index into the notebook's records (page records counted)
    bool found = false;
    QPoint position; // the best proposal, when found
};

struct NotebookProposals {
    std::vector<EntryProposal> entries;
    QStringList errors; // scans that could not be read, one message each
    int scans = 0;      // layouts read
};

// For every entry record without a stored position, or with `all` every entry record, as the capture
// meets it: the entries before it on its scan placed where the records say, it and those after it not,
// and the habits learnt from the entries met before it. Scans are found from each record's
// `pageImage`, relative to `folder` (letter case as on disk). A scan that cannot be read gives its
// entries no proposal and its message in `errors`.
NotebookProposals ProposeNotebook(const QList<NoteEntry> &records, const QString &folder, bool all);
