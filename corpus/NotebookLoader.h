#pragma once
// The staged start-up reading, feeding the notebooks' owner: notes read well within the window's own
// start are taken whole before it shows; of larger ones the first screen of the first notebook with
// records, the rest taken in as each notebook is read while the person reads (the store announces each
// one, and the lists grow from that). The reading itself runs on worker threads (NotebookLoading).

#include "corpus/Notebooks.h"

#include <QObject>
#include <QStringList>

#include <array>
#include <memory>

class NotebookLoading;
class NotebookStore;

class NotebookLoader : public QObject {
    Q_OBJECT
public:
    // Starts reading the notes files of the working directory.
    NotebookLoader(NotebookStore &store, QObject *parent = nullptr);
    ~NotebookLoader() override;

    // Takes what the first screen needs into the store, unannounced (nothing reads the notebooks yet);
    // raises VelmoraError when such a notes file cannot be read. The rest is taken as it is read, from
    // the event loop.
    void TakeFirst();
    bool IsDone() const { return !loading_; }
    // One reader more (the window has painted: its core is free).
    void AddReader();
    // Waits for the notebooks still being read and takes them.
    void Finish();
    // What the person should be told about files read all the same (not in UTF-8).
    const QStringList &Warnings() const { return warnings_; }

Q_SIGNALS:
    // Every notebook is in the store, after TakeFirst (which raises nothing: IsDone() says it took all).
    void AllRead();
    // A notes file read after the window showed cannot be read: `message` names it and says why.
    void Unreadable(const QString &message);

private:
    void TakeRead();
    bool AllTaken() const;

    NotebookStore &store_;
    std::unique_ptr<NotebookLoading> loading_; // gone once every notebook is in the store
    std::array<bool, kNotebookCount> taken_{};
    bool failed_ = false;
    QStringList warnings_;
};
