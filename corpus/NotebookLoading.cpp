#include "corpus/NotebookLoading.h"

#include "common/Log.h"
#include "corpus/NotesFile.h"
#include "platform/WinPath.h"

#include <QFileInfo>

#include <algorithm>
#include <system_error>
#include <thread>

NotebookLoading::NotebookLoading(QObject *parent) : QObject(parent) {
    std::array<qint64, kNotebookCount> sizes{};
    for (int b = 0; b < kNotebookCount; ++b) {
        sizes[size_t(b)] = qMax<qint64>(0, QFileInfo(ResolveWinPath(NotesFileNames()[size_t(b)])).size());
        totalBytes_ += sizes[size_t(b)];
    }
    const int cores = int(std::thread::hardware_concurrency());
    const int readerCount = std::clamp(cores - 1, 1, kNotebookCount);
    std::vector<std::vector<int>> shares(static_cast<size_t>(readerCount));
    std::vector<qint64> load(size_t(readerCount), 0);
    for (int b = 0; b < kNotebookCount; ++b) {
        const size_t least = size_t(std::min_element(load.begin(), load.end()) - load.begin());
        shares[least].push_back(b);
        load[least] += sizes[size_t(b)];
    }
    for (const std::vector<int> &share : shares) {
        if (share.empty())
            continue;
        auto read = [this, share] {
            for (int b : share)
                Read(b);
        };
        try {
            readers_.push_back(std::async(std::launch::async, read));
        } catch (const std::system_error &) {
            // No thread to be had: this share is read on the caller's thread when it is waited for.
            qCInfo(lcCorpus) << "no thread for reading notebooks; reading them on the caller's thread";
            readers_.push_back(std::async(std::launch::deferred, read));
        }
    }
}

NotebookLoading::~NotebookLoading() {
    for (std::future<void> &reader : readers_)
        if (reader.valid() && reader.wait_for(std::chrono::seconds(0)) != std::future_status::deferred)
            reader.wait();
}

void NotebookLoading::Read(int book) {
    Notebook notebook;
    QStringList warnings;
    std::exception_ptr error;
    try {
        // Notebook::LoadNotes, keeping what the person should be told.
        ReadNotesFile(NotesFileNames()[size_t(book)], notebook.entries, &warnings);
    } catch (...) {
        error = std::current_exception();
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        books_[size_t(book)] = std::move(notebook);
        warnings_[size_t(book)] = std::move(warnings);
        errors_[size_t(book)] = error;
        read_[size_t(book)] = true;
    }
    readCondition_.notify_all();
    Q_EMIT BookRead(book);
}

bool NotebookLoading::IsRead(int book) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return read_[size_t(book)];
}

void NotebookLoading::WaitFor(int book) {
    // A share without a thread of its own is read now.
    for (std::future<void> &reader : readers_)
        if (reader.valid() && reader.wait_for(std::chrono::seconds(0)) == std::future_status::deferred)
            reader.get();
    std::unique_lock<std::mutex> lock(mutex_);
    readCondition_.wait(lock, [this, book] { return read_[size_t(book)]; });
}

Notebook NotebookLoading::Take(int book) {
    WaitFor(book);
    const std::lock_guard<std::mutex> lock(mutex_);
    if (errors_[size_t(book)])
        std::rethrow_exception(errors_[size_t(book)]);
    return std::move(books_[size_t(book)]);
}

void NotebookLoading::Finish(NotebookSet &set) {
    std::exception_ptr first;
    for (int b = 0; b < kNotebookCount; ++b) {
        WaitFor(b);
        const std::lock_guard<std::mutex> lock(mutex_);
        set.books[size_t(b)] = std::move(books_[size_t(b)]);
        if (!first)
            first = errors_[size_t(b)];
    }
    if (first)
        std::rethrow_exception(first);
}

QStringList NotebookLoading::Warnings(int book) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return warnings_[size_t(book)];
}

QStringList NotebookLoading::Warnings() const {
    QStringList all;
    for (int b = 0; b < kNotebookCount; ++b)
        all += Warnings(b);
    return all;
}
