#pragma once
// A notes file on disk: reading its records, and writing positions back into it. The file is found as
// the program's other paths are (ResolveWinPath: letter case ignored), and it is replaced whole or not
// at all (AtomicFile): every failure raises VelmoraError naming the file and leaves it as it was.

#include "corpus/Records.h"
#include "platform/FileStamp.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <vector>

// Appends the records of a notes file (see Notebook::LoadNotes). A file that is not UTF-8 (saved as
// UTF-16 by an editor, say) is read all the same, as UTF-8; `warnings`, when given, then receives one
// message for the person naming the file.
void ReadNotesFile(const QString &fileName, QList<NoteEntry> &records, QStringList *warnings = nullptr);

// The records among the first `bytes` of a notes file that are complete there, exactly as ReadNotesFile
// reads them: the start is cut after its last line end, and its last record is left out (what was cut
// off may belong to it; every record before it ended where a later one began). Empty when the start
// cannot be read or walked: the reading of the whole file then says why.
QList<NoteEntry> ReadNotesFileStart(const QString &fileName, qint64 bytes);

// A notes file read only when it reads as a whole one, for a reader that must not take a file another
// program is still writing: it did not change while it was read (`stamp` before and after), the walk
// went through, and its last line ends a tag (a file cut in the middle of a line does not). `problem`
// says why it was not taken; the records are then left empty.
struct WholeNotesRead {
    bool whole = false;
    QList<NoteEntry> records;
    FileStamp stamp;
    QString problem;
};
WholeNotesRead ReadWholeNotesFile(const QString &fileName);

// Writes the position of every entry record of `entries` that has one (see Notebook::SavePositions).
void WriteAllPositions(const QList<NoteEntry> &entries, const QString &fileName);

// A position this reader recorded into one record since it read the file: what it read there (base)
// and what it holds now.
struct PositionChange {
    qsizetype record = -1;
    qint32 x = -1, y = -1;
    qint32 baseX = -1, baseY = -1;
};

// A record whose position both this reader and the file on disk changed, each to its own value.
struct PositionConflict {
    PositionChange change;
    qint32 diskX = -1, diskY = -1;
    QString title;
};

// What a save found and wrote: the records as the file holds them now (titles, kinds and positions
// only), and the records where the disk's value was kept over this reader's.
struct PositionSave {
    QList<NoteEntry> saved;
    std::vector<PositionConflict> keptFromDisk;
    // The file as the save left it: the new file, or the one read when nothing needed writing. A watcher
    // takes this for the reader's own state, and any other stamp for another program's change.
    FileStamp written;
};

// Applies exactly `changes` to the notes file as it is on disk now: every other line stays as it is
// there, whatever another program wrote since this reader read it. A change goes to the record it was
// made on (`expected` holds the records as this reader read them); when records were added or removed
// since, it is found by its content (EntryAnchor), and when one cannot be found nothing is written.
// A change whose record the disk changed too is a conflict: `keepMine` is asked with them before the
// file is read for the last time, and the disk's value stays unless it answers true; a record changed
// again while it asked is asked about again.
// The save never writes over a file that is changing: a file that changes while it is read, reads cut
// (see ReadWholeNotesFile) or shrank to less than half the records, or that another program replaced
// or wrote between the reading and the rename, is read again and merged again, waiting a little
// longer each time; after a bounded wait the save gives up with a message and writes nothing.
// Nothing is written when no change is left to write.
PositionSave SavePositionChanges(const QList<NoteEntry> &expected, const QString &fileName,
                                 const std::vector<PositionChange> &changes,
                                 const std::function<bool(const std::vector<PositionConflict> &)> &keepMine);
