#pragma once
// What capture mode recorded since the notes were read or last saved, without a window: the undo
// steps, the value each touched record had in its file (so that a save writes exactly what this
// reader changed), the journal that keeps the unsaved positions through a crash, and the counts of
// entries still without a position.

#include "corpus/EntryAnchor.h"
#include "corpus/NotebookStore.h"
#include "corpus/NotesFile.h"

#include <QByteArray>
#include <QMetaObject>
#include <QStringList>
#include <map>
#include <vector>

class CaptureLog {
public:
    // Follows the store: when a notebook is read anew or extended, the unsaved positions (and the undo
    // steps) move with their entries, found by their content (EntryAnchor), however many records were
    // added or removed above them. One whose entry cannot be found is kept as not placed.
    explicit CaptureLog(NotebookStore &store);
    ~CaptureLog();
    CaptureLog(const CaptureLog &) = delete;
    CaptureLog &operator=(const CaptureLog &) = delete;

    // Stores the position into an entry record (a page header takes none); false when nothing was
    // recorded.
    bool Record(NoteRef ref, qint32 x, qint32 y);
    // Takes back the last position recorded since the last save; the record undone, or an invalid
    // reference when there is nothing to undo.
    NoteRef UndoLast();
    bool CanUndo() const { return !steps_.empty(); }

    // A notebook holds positions this reader recorded and has not saved.
    bool IsChanged(int book) const;
    // Changes to save, or positions not placed (which only the journal keeps).
    bool HasUnsaved() const;
    // The positions to write into a notebook's file: each record whose position differs from its file's.
    std::vector<PositionChange> Changes(int book) const;
    // After a save of `book`: what was saved can no longer be undone and leaves the journal.
    void ForgetBook(int book);
    // A recorded position whose entry is not in its notebook as read now (the other program removed or
    // renamed it): kept, in the journal too, and placed as soon as a reading finds the entry again.
    struct NotPlaced {
        EntryAnchor anchor;
        qint32 x, y;
        qint32 baseX, baseY;   // the file's value when it was recorded; -2 when not known (from a journal)
        bool byRecord = false; // from a journal of the earlier kind: its record and headword decide
    };
    const std::vector<NotPlaced> &Unplaced() const { return unplaced_; }
    // One line per position not placed: notebook, headword, x and y.
    QStringList UnplacedText() const;

    // The journal of the unsaved positions; empty when there are none.
    QByteArray JournalBytes() const;
    struct Restored {
        int count = 0;       // positions taken back
        int unplaced = 0;    // positions whose entries were not found: kept as not placed
        QStringList skipped; // the journal's items that were not taken, each named with its reason
        bool Complete() const { return unplaced == 0 && skipped.isEmpty(); }
    };
    // Takes the positions of a journal back as unsaved changes, each into the entry it names (found by
    // its content; a journal of the earlier kind names the record and headword only). Raises VelmoraError
    // (with the reason only) when the bytes are not a positions journal, or hold more than positions
    // can need (kMaxJournalBytes, kMaxJournalItems, a headword longer than kMaxJournalTitle).
    Restored Restore(const QByteArray &journal);
    // How many positions a journal holds, or raises as Restore does.
    static int JournalSize(const QByteArray &journal);
    static constexpr qsizetype kMaxJournalBytes = 16 * 1024 * 1024;
    static constexpr qsizetype kMaxJournalItems = 100000;
    static constexpr qsizetype kMaxJournalTitle = 4096;

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
    void AnchorBook(int book);
    void PlaceBook(int book);
    int Find(const NotPlaced &p) const;
    void Place(const NotPlaced &p, int record);

    NotebookStore &store_;
    std::vector<Step> steps_;                       // since the last save, oldest first
    std::map<Key, std::pair<qint32, qint32>> base_; // the file's value of every record touched
    std::vector<NotPlaced> unplaced_;
    // While a notebook is replaced: its changes and undo steps, by their entries' anchors.
    std::vector<NotPlaced> moving_;
    std::vector<std::pair<EntryAnchor, Step>> movingSteps_;
    std::vector<QMetaObject::Connection> connections_;
};
