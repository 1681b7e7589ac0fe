#pragma once
// The notebooks' letters and files, and a reference to one record of one notebook: what names a record
// without holding the notebooks (the anchors of corpus/EntryAnchor.h stand on it).

#include <QString>
#include <array>

constexpr int kNotebookCount = 4;
constexpr int kScanLetterCount = 5;

// Notebook order everywhere: K, M, N, O.
inline const std::array<QString, kNotebookCount> &NotebookLetters() {
    static const std::array<QString, kNotebookCount> letters{QStringLiteral("K"), QStringLiteral("M"),
                                                             QStringLiteral("N"), QStringLiteral("O")};
    return letters;
}

// The scans have a fifth letter, L, that has no notes file of its own.
inline const std::array<QString, kScanLetterCount> &ScanLetters() {
    static const std::array<QString, kScanLetterCount> letters{QStringLiteral("K"), QStringLiteral("L"),
                                                               QStringLiteral("M"), QStringLiteral("N"),
                                                               QStringLiteral("O")};
    return letters;
}

// The notes file of each notebook, opened from the working directory.
inline const std::array<QString, kNotebookCount> &NotesFileNames() {
    static const std::array<QString, kNotebookCount> names{
        QStringLiteral("velmora200_k.xml"), QStringLiteral("velmora200_M.xml"),
        QStringLiteral("velmora200_N.xml"), QStringLiteral("velmora200_O.xml")};
    return names;
}

// One record: notebook index (0..3) and record index in it.
struct NoteRef {
    int book = -1;
    int entry = -1;
    bool isValid() const { return book >= 0 && entry >= 0; }
    friend bool operator==(const NoteRef &a, const NoteRef &b) {
        return a.book == b.book && a.entry == b.entry;
    }
    friend bool operator!=(const NoteRef &a, const NoteRef &b) { return !(a == b); }
};
