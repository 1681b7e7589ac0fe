#pragma once
// The one walk over the lines of a notes file. The reader keeps the records it yields; the position
// writer also keeps where each record stands in the file, so both agree on every line.

#include "corpus/Records.h"

#include "corpus/NotesText.h"
#include <QList>

struct RecordPlace {
    // Entry record: the line holding "</條目>" that closes its headword. Page record: the page line.
    qsizetype closeLine = 0;
    // The line right after the headword was taken as the entry's position line.
    bool positionLineFollows = false;
};

// What the walk passes over or takes on trust, told as it goes, for a checker that explains it to
// the person editing the file. Line numbers are indices into NotesText's lines. The reader passes
// no observer and pays nothing for it.
class WalkObserver {
public:
    virtual ~WalkObserver() = default;
    // A line at the top level that is neither a headword nor a page line: the walk skips it.
    virtual void skippedLine(qsizetype /*line*/) {}
    virtual void pageLine(qsizetype /*line*/) {}
    // A headword's first and last line; closeLine is -1 when the file ends first (the walk raises
    // its error right after).
    virtual void headword(qsizetype /*openLine*/, qsizetype /*closeLine*/) {}
    // The line after a headword holds "<座標" and is used up; taken is false when it gave no position.
    virtual void positionLine(qsizetype /*line*/, bool /*taken*/) {}
    // A position value that does not fit 32 bits (the walk raises its error right after).
    virtual void positionOutOfRange(qsizetype /*line*/) {}
    // A section of an entry with its tags; closeLine is -1 when the file ends inside it.
    virtual void section(QStringView /*openTag*/, QStringView /*closeTag*/, qsizetype /*openLine*/,
                         qsizetype /*closeLine*/) {}
};

// Appends each record to `records` once it is complete, so that the records before a failure stay.
// When `places` is given, appends the place of each record alongside. Raises VelmoraError (naming
// fileName) for a file that ends inside a headword or a position that is not a 32-bit integer.
// With titlesOnly, the lines are walked the same way but the section texts are not gathered: a
// writer that only checks which records the file holds saves copying the whole file into them.
// An observer, when given, is told about every line the walk takes or skips.
void WalkNotes(const NotesText &text, const QString &fileName, QList<NoteEntry> &records,
               QList<RecordPlace> *places = nullptr, bool titlesOnly = false,
               WalkObserver *observer = nullptr);

// Reads a position line: true and x, y when the position pattern matches exactly once.
// Raises VelmoraError (naming fileName and lineIndex) when a value does not fit 32 bits.
bool ParsePositionLine(QStringView line, qint32 &x, qint32 &y, const QString &fileName = QString(),
                       qsizetype lineIndex = 0);

// The position line as the writer puts it into a notes file.
QString FormatPositionLine(qint32 x, qint32 y);
