#pragma once
// A notes file of any size made in code: page lines, headwords with and without position lines,
// sections of CJK text, mixed line ends. Load it, move positions, and save: the save has runs of
// untouched lines to copy, position lines to replace and position lines to add.

#include "corpus/Data.h"

#include <QByteArray>

inline QByteArray MakeNotesBytes(qint64 targetBytes) {
    QByteArray out("\xEF\xBB\xBF");
    out.reserve(targetBytes + 4096);
    static const char *const kChars[] = {"\xE7\x94\xB2", "\xE4\xB9\x99", "\xE4\xB8\x99", "\xE4\xB8\x81",
                                         "\xE6\x88\x8A", "\xE5\xB7\xB1", "\xE5\xBA\x9A", "\xE8\xBE\x9B"};
    for (int i = 0; out.size() < targetBytes; ++i) {
        const char *end = i % 13 == 0 ? "\n" : "\r\n"; // some lines end in LF alone
        if (i % 10 == 0)
            out.append("<page>K").append(QByteArray::number(1000 + i / 10)).append("</page>").append(end);
        out.append("<\xE6\xA2\x9D\xE7\x9B\xAE>\xE6\xA2\x9D")
            .append(QByteArray::number(i))
            .append("</\xE6\xA2\x9D\xE7\x9B\xAE>")
            .append(end);
        if (i % 3 == 0)
            out.append("<\xE5\xBA\xA7\xE6\xA8\x99 x=\"")
                .append(QByteArray::number(i % 2400))
                .append("\" y=\"7\"/>")
                .append(end);
        out.append("<\xE5\x85\xA7\xE5\xAE\xB9>");
        for (int c = 0; c < 60 + i % 50; ++c)
            out.append(kChars[(i * 7 + c) % 8]);
        out.append("</\xE5\x85\xA7\xE5\xAE\xB9>").append(end);
    }
    return out;
}

// Gives every `stride`-th entry record a new position made from `round`, so that each round's save
// differs from the one before. Returns how many positions were set.
inline int MovePositions(Notebook &nb, int stride, int round) {
    int moved = 0;
    for (qsizetype r = 0; r < nb.entries.size(); ++r) {
        NoteEntry &e = nb.entries[r];
        if (e.isPage || r % stride != 0) continue;
        e.x = int(r % 2400);
        e.y = 100 + round;
        ++moved;
    }
    return moved;
}
