#pragma once
// The notes corpus: one record per headword or page line of a notes file, in file order, and a
// notebook of them with its file's reading and writing (NotesFile does the work).

#include "corpus/Records.h"

#include <QList>

class Notebook {
public:
    QList<NoteEntry> entries;
    // Appends the records of a notes file; raises VelmoraError when the file cannot be read
    // or ends inside a headword (the records before it stay). The file is found as the program's
    // other paths are (ResolveWinPath: letter case ignored).
    void LoadNotes(const QString &fileName);
    // Writes the position of every entry record that has one into the file it was loaded from (found
    // as LoadNotes finds it). The file must still hold the same records; otherwise nothing is written.
    // The file is replaced whole or not at all (AtomicFile): every failure, also of the standard
    // library (no memory), raises VelmoraError naming the file and leaves it byte for byte as it was.
    void SavePositions(const QString &fileName) const;
};
