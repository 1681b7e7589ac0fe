#pragma once
// The one owner of the four notebooks. Whatever changes a record after loading goes through it, and it
// announces the change, so that lists, counts and the marks on the scan update themselves: a position
// recorded or undone, a notebook saved, a notebook read again after its file changed on disk.

#include "corpus/Notebooks.h"
#include "platform/FileStamp.h"

#include <QElapsedTimer>
#include <QObject>
#include <array>

class QFileSystemWatcher;
class QTimer;

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
    // After a save: the positions of `book` as its file holds them now, and the file the save left
    // (`written`), which is then no other program's change. When the file holds other records than the
    // store (another program added or removed some before the save), the file is read anew instead.
    void TakeSavedPositions(int book, const QList<NoteEntry> &saved, const FileStamp &written = FileStamp());
    // A notebook read anew from its file.
    void ReplaceBook(int book, Notebook fresh);
    // A notebook read whole while its first records (or none) were held: those keep what they hold now
    // (a position recorded meanwhile) and the others are added after them. Should the records held not
    // be the first ones of `whole` (the file changed in between), it is ReplaceBook.
    void ExtendBook(int book, Notebook whole);

    // Watches the notes files (found as they were read), and their folders, so that a file deleted and
    // made again or renamed over stays watched. A file another program changed is read anew once it
    // has held still for the settle time (identity, size and time unchanged; the wait doubles while it
    // keeps changing) and reads as a whole notes file: then the notebook is replaced (BookReloaded)
    // and FileChangedOnDisk follows. A file that reads cut, fails to read or shrank to less than half
    // of what was read is not taken: the notebook stays as it is, FileNotTakenYet says so once, and
    // the file is tried again later. The store's own saves do not count.
    void WatchFiles();
    // The settle time (300 ms unless set); a file shrunk to less than half is taken only once it has
    // held still for `shrunkPatienceMs` (a minute unless set): a writer at work rarely pauses that long.
    void SetSettleTime(int settleMs, int shrunkPatienceMs);

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
    // A notebook was read anew because another program changed its file (after BookReloaded).
    void FileChangedOnDisk(int book);
    // A changed file was not taken (`problem` says why): the notebook keeps what it holds.
    void FileNotTakenYet(int book, const QString &problem);

private:
    struct Watch {
        QString path;
        FileStamp known;  // the file as the notebook holds it
        FileStamp sample; // the file when last looked at, while it settles
        QElapsedTimer stillFor;
        int intervalMs = 0;
        bool announced = false; // FileNotTakenYet said for this change
        QTimer *timer = nullptr;
    };
    FileStamp StampOf(int book) const;
    void OnFileEvent(int book);
    void OnFolderChanged(const QString &folder);
    void Settle(int book);
    void TryTake(int book, const FileStamp &now);
    void TryLater(int book);

    NotebookSet set_;
    std::array<bool, kNotebookCount> whole_{};
    QFileSystemWatcher *watcher_ = nullptr;
    std::array<Watch, kNotebookCount> watch_;
    int settleMs_ = 300;
    int shrunkPatienceMs_ = 60000;
};
