#pragma once
// What capture mode recorded since the notes were read or last saved, without a window: the undo
// steps, the value each touched record had in its file (so that a save writes exactly what this
// reader changed), the journal that keeps the unsaved positions through a crash, and the counts of
// entries still without a position.

#include "corpus/NotebookStore.h"
#include "corpus/NotesFile.h"

#include <QByteArray>
#include <QStringList>
#include <map>
#include <vector>

class CaptureLog {
public:
    explicit CaptureLog(NotebookStore &store) : store_(store) {}

    // Stores the position into an entry record (a page header takes none); false when nothing was
    // recorded.
    bool Record(NoteRef ref, qint32 x, qint32 y);
    // Takes back the last position recorded since the last save; the record undone, or an invalid
    // reference when there is nothing to undo.
    NoteRef UndoLast();
    bool CanUndo() const { return !steps_.empty(); }

    // A notebook holds positions this reader recorded and has not saved.
    bool IsChanged(int book) const;
    bool HasUnsaved() const;
    // The positions to write into a notebook's file: each record whose position differs from its file's.
    std::vector<PositionChange> Changes(int book) const;
    // After a save of `book`: what was saved can no longer be undone and leaves the journal.
    void ForgetBook(int book);
    // Reading a notebook anew from its file keeps its unsaved positions: TakeUnsaved takes them out
    // before, Reapply records them again after, where the record is still the one they were recorded
    // into (same place and headword); it names the others. The value the record had when this reader
    // read it stays the base, so that a record the other program changed too is asked about at the save.
    struct Unsaved {
        int record;
        QString title;
        qint32 x, y;
        qint32 baseX, baseY;
    };
    std::vector<Unsaved> TakeUnsaved(int book);
    QStringList Reapply(int book, const std::vector<Unsaved> &unsaved);

    // The journal of the unsaved positions; empty when there are none.
    QByteArray JournalBytes() const;
    struct Restored {
        int count = 0;          // positions taken back
        QStringList skipped;    // the journal's items that were not, each named with its reason
    };
    // Takes the positions of a journal back as unsaved changes. Raises VelmoraError (with the reason
    // only) when the bytes are not a positions journal.
    Restored Restore(const QByteArray &journal);
    // How many positions a journal holds, or raises as Restore does.
    static int JournalSize(const QByteArray &journal);

    // Entry records of a notebook without a position, and the line that says so for all four.
    int UnpositionedCount(int book) const;
    QString UnpositionedText() const;

private:
    struct Step {
        NoteRef ref;
        qint32 oldX, oldY;
    };
    using Key = std::pair<int, int>;
    void Touch(NoteRef ref);

    NotebookStore &store_;
    std::vector<Step> steps_;  // since the last save, oldest first
    std::map<Key, std::pair<qint32, qint32>> base_; // the file's value of every record touched
};
