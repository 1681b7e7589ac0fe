#include "corpus/Data.h"

#include "corpus/NotesFile.h"

void Notebook::LoadNotes(const QString &fileName) {
    ReadNotesFile(fileName, entries);
}

void Notebook::SavePositions(const QString &fileName) const {
    WriteAllPositions(entries, fileName);
}
