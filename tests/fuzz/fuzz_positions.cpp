// Load, set positions, save, load again: the records read back equal, with the new positions, and every
// line other than the entries' position lines keeps its bytes. A save that fails leaves the file as it was.
#include "FuzzSupport.h"
#include "common/Error.h"
#include "corpus/Data.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"

#include <QtEndian>

namespace {

// The file's lines, as bytes, without the position lines that belong to an entry.
QList<QByteArray> LinesBesidePositions(const QByteArray &bytes) {
    NotesText text = NotesText::FromBytes(bytes);
    text.KeepBytes();
    QList<NoteEntry> records;
    QList<RecordPlace> places;
    WalkNotes(text, QString(), records, &places, true);
    QList<bool> positionLine(text.LineCount(), false);
    for (const RecordPlace &p : places)
        if (p.positionLineFollows) positionLine[p.closeLine + 1] = true;
    QList<QByteArray> lines;
    for (qsizetype i = 0; i < text.LineCount(); ++i)
        if (!positionLine[i]) lines.append(text.LineBytes(i).toByteArray());
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The notes file, then 8 bytes of new position per entry record (fewer: the rest keep theirs).
    const QList<QByteArray> fields = SplitFields(data, size, 2);
    const QByteArray notes = fields[0];
    const QByteArray positions =
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).mid(notes.size() + 1);
    const QString path = ScratchPath("positions.xml");
    WriteWhole(path, notes);

    Notebook book;
    try {
        book.LoadNotes(path);
    } catch (const VelmoraError &) {
        return 0;
    }
    const QList<NoteEntry> loaded = book.entries;
    qsizetype next = 0;
    for (NoteEntry &e : book.entries) {
        if (e.isPage || next + 8 > positions.size()) continue;
        e.x = qFromLittleEndian<qint32>(positions.constData() + next);
        e.y = qFromLittleEndian<qint32>(positions.constData() + next + 4);
        // Small numbers most of the time, so that both forms of position line are met often.
        if (e.x > -3 && e.x < 3 && e.y > -3 && e.y < 3) e.x = e.y = -1;
        next += 8;
    }
    try {
        book.SavePositions(path);
    } catch (const VelmoraError &e) {
        FUZZ_CHECK(ReadWhole(path) == notes, "a failed save changed the file: %s", e.what());
        return 0;
    }

    Notebook again;
    again.LoadNotes(path);
    FUZZ_CHECK(again.entries.size() == loaded.size(), "%lld records after saving, %lld before",
               qint64(again.entries.size()), qint64(loaded.size()));
    for (qsizetype r = 0; r < loaded.size(); ++r) {
        const NoteEntry &a = again.entries[r], &b = loaded[r], &set = book.entries[r];
        FUZZ_CHECK(a.isPage == b.isPage && a.pageImage == b.pageImage && a.title == b.title &&
                       a.lineCount == b.lineCount && a.content == b.content && a.note == b.note &&
                       a.remark == b.remark && a.source == b.source,
                   "record %lld changed its text", qint64(r));
        // Nothing is written for a record without a position, so it reads back what the file had.
        const bool written = set.x != -1 || set.y != -1;
        FUZZ_CHECK(a.x == (written ? set.x : b.x) && a.y == (written ? set.y : b.y),
                   "record %lld reads back (%d, %d), set (%d, %d), loaded (%d, %d)", qint64(r), a.x, a.y,
                   set.x, set.y, b.x, b.y);
    }
    FUZZ_CHECK(LinesBesidePositions(ReadWhole(path)) == LinesBesidePositions(notes),
               "a line other than a position line changed");
    return 0;
}
