#pragma once
// Reads the four notebooks on worker threads while the caller goes on (building the window, painting
// its first screen): at a hundred megabytes of notes the reading is most of the wait before the first
// paint. The notebooks are read in their order (K first: the top of the entries list), each by the next
// reader free; there is one reader fewer than processor cores while the window is built (one core builds
// it), at least one, and one more once the caller says its core is free, at most one per notebook, so
// that no more files are being decoded at once than there are cores to decode them (each costs its size
// twice over in memory while it is read).
//
// Each notebook is read into a buffer of its own and handed over whole: the caller's notebooks are never
// written by another thread.

#include "corpus/Notebooks.h"

#include <QObject>
#include <QStringList>

#include <array>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <future>
#include <mutex>
#include <vector>

class NotebookLoading : public QObject {
    Q_OBJECT
public:
    // Starts reading the notes files of NotesFileNames(), as found from the working directory now.
    explicit NotebookLoading(QObject *parent = nullptr);
    // Waits for the readers still running (a share left to the caller's thread is not read then).
    ~NotebookLoading() override;
    NotebookLoading(const NotebookLoading &) = delete;
    NotebookLoading &operator=(const NotebookLoading &) = delete;

    // One reader more for the notebooks not yet begun (the window has painted: its core is free).
    void AddReader();
    // The notes files' size on disk when the reading started, all four together.
    qint64 TotalBytes() const { return totalBytes_; }
    // Whether the reading of `book` has ended (read, or failed).
    bool IsRead(int book) const;
    // Waits until the reading of `book` has ended.
    void WaitFor(int book);
    // The records of `book`, once: waits for them, and raises the failure of its file instead
    // (VelmoraError: cannot be opened, ends inside a headword …).
    Notebook Take(int book);
    // What the person should be told about the file of `book` read all the same (not in UTF-8); complete
    // once the book is read.
    QStringList Warnings(int book) const;

Q_SIGNALS:
    // The reading of `book` has ended. Raised on the reader's thread: connect with a queued connection.
    void BookRead(int book);

private:
    void StartReader();
    void Read(int book);

    qint64 totalBytes_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable readCondition_;
    std::array<bool, kNotebookCount> read_{};
    std::array<Notebook, kNotebookCount> books_;
    std::array<QStringList, kNotebookCount> warnings_;
    std::array<std::exception_ptr, kNotebookCount> errors_;
    std::atomic<int> next_{0}; // the next notebook no reader has taken
    std::vector<std::future<void>> readers_;
};
