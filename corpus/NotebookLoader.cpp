#include "corpus/NotebookLoader.h"

#include "common/Error.h"
#include "common/Log.h"
#include "corpus/NotebookLoading.h"
#include "corpus/NotebookStore.h"
#include "corpus/NotesFile.h"

#include <algorithm>

NotebookLoader::NotebookLoader(NotebookStore &store, QObject *parent)
    : QObject(parent), store_(store), loading_(std::make_unique<NotebookLoading>()) {
    connect(
        loading_.get(), &NotebookLoading::BookRead, this, [this] { TakeRead(); }, Qt::QueuedConnection);
}

NotebookLoader::~NotebookLoader() = default;

void NotebookLoader::TakeFirst() {
    // Notes read well within the window's own start (the demo, a few megabytes) are read whole before it
    // shows. Of larger ones the window waits only for the first records of the first notebook that has
    // any: the first screen of the entries list; the rest follows while the person reads.
    constexpr qint64 kReadWholeBytes = 16 << 20;
    constexpr qint64 kFirstScreenBytes = 256 << 10;
    const bool whole = loading_->TotalBytes() <= kReadWholeBytes;
    bool records = false;
    for (int b = 0; b < kNotebookCount && (whole || !records); ++b) {
        if (!whole && !loading_->IsRead(b)) {
            Notebook start;
            start.entries = ReadNotesFileStart(NotesFileNames()[size_t(b)], kFirstScreenBytes);
            if (!start.entries.isEmpty()) {
                store_.TakeLoaded(b, std::move(start), false);
                break; // the whole notebook extends them when it is read
            }
        }
        store_.TakeLoaded(b, loading_->Take(b));
        taken_[size_t(b)] = true;
        warnings_ += loading_->Warnings(b);
        records = !store_.Set().books[size_t(b)].entries.isEmpty();
    }
    if (AllTaken()) {
        loading_.reset(); // IsDone() says so: nobody listens yet
    } else {
        // A notebook read before the connection was made announced itself to nobody.
        QMetaObject::invokeMethod(
            this, [this] { TakeRead(); }, Qt::QueuedConnection);
    }
}

bool NotebookLoader::AllTaken() const {
    return std::all_of(taken_.begin(), taken_.end(), [](bool t) { return t; });
}

void NotebookLoader::AddReader() {
    if (loading_) loading_->AddReader();
}

void NotebookLoader::TakeRead() {
    if (!loading_ || failed_) return;
    for (int b = 0; b < kNotebookCount; ++b) {
        if (taken_[size_t(b)] || !loading_->IsRead(b)) continue;
        taken_[size_t(b)] = true;
        Notebook read;
        try {
            read = loading_->Take(b);
        } catch (const VelmoraError &e) {
            qCCritical(lcCorpus).noquote() << e.message();
            failed_ = true; // the notebooks stay incomplete: nothing more is taken or announced as read
            Q_EMIT Unreadable(e.message());
            return;
        }
        warnings_ += loading_->Warnings(b);
        // The lists, the counts, the marks and the entry being restored follow the announcement.
        store_.ExtendBook(b, std::move(read));
    }
    if (AllTaken()) {
        loading_.reset();
        Q_EMIT AllRead();
    }
}

void NotebookLoader::Finish() {
    if (!loading_) return;
    for (int b = 0; b < kNotebookCount; ++b)
        if (!taken_[size_t(b)]) loading_->WaitFor(b);
    TakeRead();
}
