#pragma once
// One record of a notes file: a headword (entry) or a page line, in file order. Only records: reading
// and writing the file live in corpus/NotesFile.h.

#include <QString>

struct NoteEntry {
    bool isPage = false;
    QString pageImage;
    QString title;
    qint32 lineCount = 1;
    QString content;
    QString note;
    QString remark;
    QString source;
    qint32 x = -1;
    qint32 y = -1;

    bool HasPosition() const { return x >= 0 && y >= 0; }
};
