#include "corpus/NotebookStore.h"

#include "common/Log.h"
#include "platform/WinPath.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

NotebookStore::NotebookStore(QObject *parent) : QObject(parent) {}

NotebookStore::~NotebookStore() = default;

void NotebookStore::TakeLoaded(int book, Notebook read, bool whole) {
    set_.books[size_t(book)] = std::move(read);
    whole_[size_t(book)] = whole;
}

void NotebookStore::SetPosition(NoteRef ref, qint32 x, qint32 y) {
    if (!set_.contains(ref))
        return;
    NoteEntry &e = set_.entry(ref);
    if (e.x == x && e.y == y)
        return;
    e.x = x;
    e.y = y;
    Q_EMIT PositionChanged(ref);
}

void NotebookStore::TakeSavedPositions(int book, const QList<NoteEntry> &saved) {
    QList<NoteEntry> &entries = set_.books[size_t(book)].entries;
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
    known_[size_t(book)] = StampOf(book);
    for (NoteRef ref : moved)
        Q_EMIT PositionChanged(ref);
    Q_EMIT BookSaved(book);
}

void NotebookStore::ReplaceBook(int book, Notebook fresh) {
    Q_EMIT BookAboutToBeReplaced(book);
    set_.books[size_t(book)] = std::move(fresh);
    whole_[size_t(book)] = true;
    known_[size_t(book)] = StampOf(book);
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
    known_[size_t(book)] = StampOf(book);
    Q_EMIT BookExtended(book);
}

NotebookStore::Stamp NotebookStore::StampOf(int book) const {
    const QFileInfo info(paths_[size_t(book)].isEmpty() ? ResolveWinPath(NotesFileNames()[size_t(book)])
                                                        : paths_[size_t(book)]);
    return info.exists() ? Stamp{info.size(), info.lastModified()} : Stamp{};
}

void NotebookStore::WatchFiles() {
    if (!watcher_) {
        watcher_ = new QFileSystemWatcher(this);
        connect(watcher_, &QFileSystemWatcher::fileChanged, this, &NotebookStore::OnFileChanged);
    }
    for (int b = 0; b < kNotebookCount; ++b) {
        paths_[size_t(b)] = QFileInfo(ResolveWinPath(NotesFileNames()[size_t(b)])).absoluteFilePath();
        known_[size_t(b)] = StampOf(b);
        if (!watcher_->addPath(paths_[size_t(b)]))
            qCWarning(lcCorpus) << "cannot watch" << paths_[size_t(b)];
    }
}

void NotebookStore::OnFileChanged(const QString &path) {
    for (int b = 0; b < kNotebookCount; ++b) {
        if (paths_[size_t(b)] != path)
            continue;
        // A file replaced by renaming another over it (as every careful writer does, this reader too)
        // leaves the watch: watch the new file under the same name.
        if (!watcher_->files().contains(path) && QFileInfo::exists(path))
            watcher_->addPath(path);
        const Stamp now = StampOf(b);
        if (now == known_[size_t(b)] || now.size < 0)
            return;
        known_[size_t(b)] = now;
        qCInfo(lcCorpus) << "notes file changed on disk:" << path;
        Q_EMIT FileChangedOnDisk(b);
    }
}
