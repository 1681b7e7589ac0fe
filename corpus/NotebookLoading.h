#pragma once
// Reads the four notebooks on worker threads while the caller goes on (building the window): at a
// hundred megabytes of notes the reading is most of the wait before the first paint. There are as
// many readers as processor cores, at most one per notebook; each takes the notebooks given to it,
// largest file first to the reader with the least to read, so that they finish together and no more
// files are being decoded at once than there are cores to decode them (each costs its size twice
// over in memory while it is read).

#include "corpus/Notebooks.h"

#include <QStringList>

#include <array>
#include <exception>
#include <future>
#include <vector>

class NotebookLoading {
public:
    // Starts reading the notes files of NotesFileNames() into `set`, whose notebooks must not be used
    // until Finish has returned.
    explicit NotebookLoading(NotebookSet &set);
    // Should Finish not have been called, the readers are waited for as their futures go; a share
    // left to the caller's thread is not read then.
    ~NotebookLoading() = default;
    NotebookLoading(const NotebookLoading &) = delete;
    NotebookLoading &operator=(const NotebookLoading &) = delete;

    // Waits for every notebook; a failure is raised for the first notebook in order that failed, as
    // reading them one after another would raise it (the others are read all the same).
    void Finish();
    // What the person should be told about files that were read all the same (a file not in UTF-8),
    // in notebook order; complete once Finish has returned.
    QStringList Warnings() const;

private:
    std::array<QStringList, kNotebookCount> warnings_;
    std::array<std::exception_ptr, kNotebookCount> errors_;
    std::vector<std::future<void>> readers_;
};
