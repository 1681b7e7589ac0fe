#pragma once
// The four notebooks of the notes and the five letters of the page scans, and a reference to one
// record of one notebook.

#include "corpus/Data.h"
#include "corpus/NoteRef.h"

#include <QString>
#include <array>

// The four notebooks, loaded once at start-up; positions are the only thing that changes later.
class NotebookSet {
public:
    std::array<Notebook, kNotebookCount> books;

    const NoteEntry &entry(NoteRef ref) const { return books[size_t(ref.book)].entries[ref.entry]; }
    NoteEntry &entry(NoteRef ref) { return books[size_t(ref.book)].entries[ref.entry]; }
    bool contains(NoteRef ref) const {
        return ref.book >= 0 && ref.book < kNotebookCount && ref.entry >= 0 &&
               ref.entry < books[size_t(ref.book)].entries.size();
    }
};
