#pragma once
// The one owner of the four notebooks. Whatever changes a record after loading goes through it, and it
// announces the change, so that lists, counts and the marks on the scan update themselves: a position
// recorded or undone, a notebook saved, a notebook read again after its file changed on disk.

#include "corpus/Notebooks.h"

#include <QDateTime>
#include <QObject>
#include <array>

class QFileSystemWatcher;

class NotebookStore : public QObject {
    Q_OBJECT
public:
    explicit NotebookStore(QObject *parent = nullptr);
    ~NotebookStore() override;

    const NotebookSet &Set() const { return set_; }
    const NoteEntry &Entry(NoteRef ref) const { return set_.entry(ref); }
    bool Contains(NoteRef ref) const { return set_.contains(ref); }
    // A notebook as first read, before anything reads it: not announced. `whole` is false for its
    // first records only, which ExtendBook completes.
    void TakeLoaded(int book, Notebook read, bool whole = true);
    // Whether every record of `book` is held (taken whole, or extended since).
    bool IsWhole(int book) const { return whole_[size_t(book)]; }

    void SetPosition(NoteRef ref, qint32 x, qint32 y);
    // After a save: the positions of `book` as its file holds them now (the records are the same).
    void TakeSavedPositions(int book, const QList<NoteEntry> &saved);
    // A notebook read anew from its file.
    void ReplaceBook(int book, Notebook fresh);
    // A notebook read whole while its first records (or none) were held: those keep what they hold now
    // (a position recorded meanwhile) and the others are added after them. Should the records held not
    // be the first ones of `whole` (the file changed in between), it is ReplaceBook.
    void ExtendBook(int book, Notebook whole);

    // Watches the notes files (found as they were read) and raises FileChangedOnDisk when another
    // program writes one; the store's own saves do not count.
    void WatchFiles();

Q_SIGNALS:
    void PositionChanged(NoteRef ref);
    void BookSaved(int book);
    // Before a notebook is replaced or extended: whoever reads it on another thread stops first.
    void BookAboutToBeReplaced(int book);
    // A notebook read anew from its file.
    void BookReloaded(int book);
    // Records added after the last one of a notebook (read on after the window showed); the others are
    // unchanged.
    void BookExtended(int book);
    void FileChangedOnDisk(int book);

private:
    struct Stamp {
        qint64 size = -1;
        QDateTime modified;
        bool operator==(const Stamp &o) const { return size == o.size && modified == o.modified; }
    };
    Stamp StampOf(int book) const;
    void OnFileChanged(const QString &path);

    NotebookSet set_;
    std::array<bool, kNotebookCount> whole_{};
    QFileSystemWatcher *watcher_ = nullptr;
    std::array<QString, kNotebookCount> paths_;
    std::array<Stamp, kNotebookCount> known_;
};
