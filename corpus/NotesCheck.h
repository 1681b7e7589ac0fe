#pragma once
// The notes checker: the reader's own walk over a notes file, with every line it skips, cuts
// blindly or stops at told to the person who keeps the file. It never disagrees with the reader
// because it is the same walk.

#include "corpus/NotesText.h"
#include "corpus/Records.h"

#include <QByteArray>
#include <QList>
#include <QString>

// In the order they are reported when one line has several.
enum class ProblemKind {
    Encoding,         // the file is not UTF-8 (and holds no notes tags): one problem for the whole file
    NotNotes,         // the file holds no notes tags at all: one problem for the whole file
    Skipped,          // a line between records with text that the reader passes over
    Position,         // a position line after a headword that gives no position
    Range,            // a position value beyond 32 bits: the reader stops there
    UnclosedHeadword, // the file ends inside a headword: the reader stops there
    UnclosedSection,  // the file ends inside a section
    TagPlacement,     // a tag the reader cuts by character count that is not at the start or end
};

// "encoding", "not-notes", "skipped", "position", "range", "unclosed-headword", "unclosed-section",
// "tag-placement".
QString ProblemKindName(ProblemKind kind);

struct NotesProblem {
    qsizetype line = 0; // counted from 1 over the lines as the reader splits them
    ProblemKind kind = ProblemKind::Skipped;
    QString message;
};

struct NotesCheckResult {
    // In line order; on one line at most one problem of each kind, in ProblemKind order.
    QList<NotesProblem> problems;
    qsizetype records = 0;
    qsizetype pages = 0;
    qsizetype entries = 0;
    qsizetype entriesWithPosition = 0;
    // The reader's error when it stops before the end (the counts are of the records before it).
    QString stopError;
};

// Checks the text of one notes file; fileName only goes into the reader's error message. A file with no
// notes tags on any line is the wrong file rather than a broken one: it gets one problem (encoding when
// its bytes are not UTF-8, not-notes otherwise) instead of a line per skipped line.
NotesCheckResult CheckNotes(const NotesText &text, const QString &fileName);

// `FILE:LINE: KIND: message`, the form editors jump to.
QString FormatProblem(const QString &fileName, const NotesProblem &problem);

// One record as a line of JSON (no line end) with the keys isPage, pageImage, title, lineCount,
// content, note, remark, source, x, y in that order.
QByteArray RecordJson(const NoteEntry &record);
