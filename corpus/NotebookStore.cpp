#include "corpus/NotebookStore.h"

#include "common/Log.h"
#include "corpus/NotesFile.h"
#include "platform/WinPath.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

NotebookStore::NotebookStore(QObject *parent) : QObject(parent) {}

NotebookStore::~NotebookStore() = default;

void NotebookStore::TakeLoaded(int book, Notebook read, bool whole) {
    set_.books[size_t(book)] = std::move(read);
    whole_[size_t(book)] = whole;
}

void NotebookStore::SetPosition(NoteRef ref, qint32 x, qint32 y) {
    if (!set_.contains(ref)) return;
    NoteEntry &e = set_.entry(ref);
    if (e.x == x && e.y == y) return;
    e.x = x;
    e.y = y;
    Q_EMIT PositionChanged(ref);
}

void NotebookStore::TakeSavedPositions(int book, const QList<NoteEntry> &saved, const FileStamp &written) {
    QList<NoteEntry> &entries = set_.books[size_t(book)].entries;
    bool sameRecords = entries.size() == saved.size();
    for (qsizetype r = 0; sameRecords && r < entries.size(); ++r)
        sameRecords = entries[r].isPage == saved[r].isPage && entries[r].title == saved[r].title;
    if (!sameRecords) {
        // The save placed the positions by their entries in a file that changed: the watch reads it
        // anew (the known stamp stays the old one), with the other program's records and these positions.
        qCInfo(lcCorpus) << "notebook" << book << "saved into a file with other records; it is read anew";
        if (watcher_) OnFileEvent(book);
        Q_EMIT BookSaved(book);
        return;
    }
    const qsizetype count = qMin(entries.size(), saved.size());
    std::vector<NoteRef> moved;
    for (qsizetype r = 0; r < count; ++r) {
        if (entries[r].x != saved[r].x || entries[r].y != saved[r].y) {
            entries[r].x = saved[r].x;
            entries[r].y = saved[r].y;
            moved.push_back(NoteRef{book, int(r)});
        }
    }
    // The save itself wrote the file: its new stamp is not another program's change.
    watch_[size_t(book)].known = written.Exists() ? written : StampOf(book);
    for (NoteRef ref : moved)
        Q_EMIT PositionChanged(ref);
    Q_EMIT BookSaved(book);
}

void NotebookStore::ReplaceBook(int book, Notebook fresh) {
    Q_EMIT BookAboutToBeReplaced(book);
    set_.books[size_t(book)] = std::move(fresh);
    whole_[size_t(book)] = true;
    watch_[size_t(book)].known = StampOf(book);
    Q_EMIT BookReloaded(book);
}

void NotebookStore::ExtendBook(int book, Notebook whole) {
    const QList<NoteEntry> &held = set_.books[size_t(book)].entries;
    bool first = held.size() <= whole.entries.size();
    for (qsizetype r = 0; first && r < held.size(); ++r)
        first = held[r].isPage == whole.entries[r].isPage && held[r].title == whole.entries[r].title;
    if (!first) {
        qCWarning(lcCorpus) << "notebook" << book << "changed while it was read; read anew";
        ReplaceBook(book, std::move(whole));
        return;
    }
    Q_EMIT BookAboutToBeReplaced(book);
    for (qsizetype r = 0; r < held.size(); ++r) {
        whole.entries[r].x = held[r].x;
        whole.entries[r].y = held[r].y;
    }
    set_.books[size_t(book)] = std::move(whole);
    whole_[size_t(book)] = true;
    watch_[size_t(book)].known = StampOf(book);
    Q_EMIT BookExtended(book);
}

FileStamp NotebookStore::StampOf(int book) const {
    const QString &path = watch_[size_t(book)].path;
    return FileStamp::Of(path.isEmpty() ? ResolveWinPath(NotesFileNames()[size_t(book)]) : path);
}

void NotebookStore::SetSettleTime(int settleMs, int shrunkPatienceMs) {
    settleMs_ = qMax(1, settleMs);
    shrunkPatienceMs_ = qMax(0, shrunkPatienceMs);
}

void NotebookStore::WatchFiles() {
    if (!watcher_) {
        watcher_ = new QFileSystemWatcher(this);
        connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString &path) {
            for (int b = 0; b < kNotebookCount; ++b)
                if (watch_[size_t(b)].path == path) OnFileEvent(b);
        });
        connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &NotebookStore::OnFolderChanged);
    }
    for (int b = 0; b < kNotebookCount; ++b) {
        Watch &w = watch_[size_t(b)];
        w.path = QFileInfo(ResolveWinPath(NotesFileNames()[size_t(b)])).absoluteFilePath();
        w.known = FileStamp::Of(w.path);
        if (!w.timer) {
            w.timer = new QTimer(this);
            w.timer->setSingleShot(true);
            connect(w.timer, &QTimer::timeout, this, [this, b] { Settle(b); });
        }
        if (QFileInfo::exists(w.path) && !watcher_->addPath(w.path))
            qCWarning(lcCorpus) << "cannot watch" << w.path;
        // The folder too: a file removed and made again, or renamed over, leaves the file's own watch.
        const QString folder = QFileInfo(w.path).absolutePath();
        if (!watcher_->directories().contains(folder) && !watcher_->addPath(folder))
            qCWarning(lcCorpus) << "cannot watch the folder" << folder;
    }
}

void NotebookStore::OnFolderChanged(const QString &folder) {
    for (int b = 0; b < kNotebookCount; ++b) {
        const Watch &w = watch_[size_t(b)];
        if (w.path.isEmpty() || QFileInfo(w.path).absolutePath() != folder) continue;
        if (!watcher_->files().contains(w.path) && QFileInfo::exists(w.path)) watcher_->addPath(w.path);
        if (StampOf(b) != w.known) OnFileEvent(b);
    }
}

void NotebookStore::OnFileEvent(int book) {
    Watch &w = watch_[size_t(book)];
    // A file replaced by renaming another over it (as every careful writer does, this reader too)
    // leaves the watch: watch the new file under the same name.
    if (!watcher_->files().contains(w.path) && QFileInfo::exists(w.path)) watcher_->addPath(w.path);
    if (w.timer->isActive()) return; // already settling: the timer compares
    w.sample = StampOf(book);
    w.stillFor.start();
    w.intervalMs = settleMs_;
    w.timer->start(w.intervalMs);
}

void NotebookStore::TryLater(int book) {
    Watch &w = watch_[size_t(book)];
    w.intervalMs = qMin(w.intervalMs * 2, settleMs_ * 32);
    w.timer->start(w.intervalMs);
}

void NotebookStore::Settle(int book) {
    Watch &w = watch_[size_t(book)];
    const FileStamp now = StampOf(book);
    if (now != w.sample) { // still changing: wait longer
        w.sample = now;
        w.stillFor.start();
        TryLater(book);
        return;
    }
    if (now == w.known || !now.Exists())
        return; // the reader's own state, or a file gone (its making anew is a folder change)
    TryTake(book, now);
}

void NotebookStore::TryTake(int book, const FileStamp &now) {
    Watch &w = watch_[size_t(book)];
    WholeNotesRead read = ReadWholeNotesFile(w.path);
    QString problem = read.whole ? QString() : read.problem;
    if (read.whole && read.stamp != now) problem = QStringLiteral("讀取前檔案又改變了");
    const qsizetype held = set_.books[size_t(book)].entries.size();
    if (problem.isEmpty() && w.known.Exists() &&
        (now.size * 2 < w.known.size || read.records.size() * 2 < held) &&
        w.stillFor.elapsed() < shrunkPatienceMs_)
        problem = QStringLiteral("檔案比讀入時小了一半以上");
    if (!problem.isEmpty()) {
        qCInfo(lcCorpus).noquote() << "changed notes file not taken yet:" << w.path << problem;
        if (!w.announced) Q_EMIT FileNotTakenYet(book, problem);
        w.announced = true;
        w.sample = StampOf(book);
        TryLater(book);
        return;
    }
    qCInfo(lcCorpus) << "notes file changed on disk, read anew:" << w.path;
    Notebook fresh;
    fresh.entries = std::move(read.records);
    ReplaceBook(book, std::move(fresh));
    w.known = read.stamp;
    w.announced = false;
    Q_EMIT FileChangedOnDisk(book);
}
