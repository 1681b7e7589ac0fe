#pragma once
// The owner of the reader's own marks of the open library: the stars and personal notes, found in the
// notebooks as they are now and announced when they change, so that the lists, the page and the search
// follow them. Marks are kept in the library's marks file (MarksFile); a mark whose entry can no longer
// be found stays, listed as "找不到的條目" with its text, and is found again should the entry come back.
//
// Changes are made in memory and written by Flush(), which merges them into the file as another reader
// may have left it; the window calls it a moment after typing stops. A star is written at once.

#include "corpus/AnchorIndex.h"
#include "corpus/MarksFile.h"
#include "corpus/NotebookStore.h"

#include <QHash>
#include <QObject>
#include <array>
#include <memory>

class ReaderMarks : public QObject {
    Q_OBJECT
public:
    // The marks kept in `file` (MarksFileFor the library), found in the notebooks of `store`, which must
    // outlive this owner. Nothing is read before Load().
    ReaderMarks(const NotebookStore &store, const QString &fileName, const QString &library,
                QObject *parent = nullptr);
    ~ReaderMarks() override;

    // Reads the marks file (and takes in what another reader wrote since); changes not yet written stay.
    // Raises VelmoraError naming the file when it cannot be read; the marks held are kept then.
    void Load();

    bool IsStarred(NoteRef ref) const;
    QString NoteOf(NoteRef ref) const;
    // Stars or unstars an entry record and writes it at once (as Flush). A page record takes no mark.
    void SetStarred(NoteRef ref, bool starred);
    // Sets the personal note of an entry record (empty removes it); cheap, written by the next Flush.
    void SetNote(NoteRef ref, const QString &note);
    // Writes the changes not yet written, merged into the file under its lock, and takes in what other
    // readers wrote (with nothing to write, only takes it in, as Load). Raises VelmoraError when the file
    // cannot be written; the changes stay to be written again. A damaged file is set aside (and said so in
    // the error raised after the marks were written).
    void Flush();
    bool HasUnwritten() const { return !unwritten_.isEmpty(); }

    struct Row {
        NoteRef ref; // invalid: "找不到的條目"
        EntryAnchor anchor;
        bool starred = false;
        qint64 starTime = 0;
        QString note;
    };
    enum class Order { NewestFirst, BookOrder };
    // The starred entries; entries that cannot be found come last, newest first among themselves.
    QList<Row> Bookmarks(Order order) const;
    // Every mark with a star or a note, in book order, those that cannot be found last.
    QList<Row> All() const;
    // The personal notes of the entries found, in book order: what the search looks through.
    QList<std::pair<NoteRef, QString>> Notes() const;
    bool HasNotes() const;

    const QString &FileName() const { return file_.FileName(); }

Q_SIGNALS:
    // The star or the note of a record changed (by this reader).
    void MarksChanged(NoteRef ref);
    // Marks changed all at once: read, merged with another reader's, or found anew after a notebook
    // was read again.
    void MarksReset();

private:
    void Resolve();
    void ResolveBook(int book);
    void OnBookChanged(int book);
    Mark *MarkOf(NoteRef ref);
    const Mark *MarkOf(NoteRef ref) const;
    Mark &TakeMark(NoteRef ref);
    void Adopt(MarksData data);
    // Moves the marks whose entry now has another anchor (the notes file was edited) to it.
    void Refresh(MarksData &data);
    Row RowOf(size_t mark) const;
    const AnchorIndex &IndexOf(int book);
    qint64 Stamp(qint64 after);

    const NotebookStore &store_;
    MarksFile file_;
    MarksData data_;
    std::vector<NoteRef> found_;            // per mark of data_, invalid when not found
    QHash<quint64, int> byRef_;             // record -> its mark in data_
    QHash<QString, EntryAnchor> unwritten_; // the marks changed since the last write
    std::array<std::unique_ptr<AnchorIndex>, kNotebookCount> indexes_; // built when first needed
    qint64 lastTime_ = 0;
};
