#include "corpus/NotebookLoading.h"

#include "common/Log.h"
#include "corpus/NotesFile.h"
#include "platform/WinPath.h"

#include <QFileInfo>

#include <algorithm>
#include <system_error>
#include <thread>

NotebookLoading::NotebookLoading(QObject *parent) : QObject(parent) {
    for (const QString &name : NotesFileNames())
        totalBytes_ += qMax<qint64>(0, QFileInfo(ResolveWinPath(name)).size());
    const int cores = int(std::thread::hardware_concurrency());
    for (int r = std::clamp(cores - 1, 1, kNotebookCount); r > 0; --r)
        StartReader();
}

void NotebookLoading::StartReader() {
    // Each reader takes the next notebook not yet taken, in notebook order.
    auto read = [this] {
        for (int b; (b = next_.fetch_add(1)) < kNotebookCount;)
            Read(b);
    };
    try {
        readers_.push_back(std::async(std::launch::async, read));
    } catch (const std::system_error &) {
        // No thread to be had: what is left is read on the caller's thread when it is waited for.
        qCInfo(lcCorpus) << "no thread for reading notebooks; reading them on the caller's thread";
        readers_.push_back(std::async(std::launch::deferred, read));
    }
}

void NotebookLoading::AddReader() {
    if (next_.load() < kNotebookCount && readers_.size() < size_t(kNotebookCount)) StartReader();
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
    if (errors_[size_t(book)]) std::rethrow_exception(errors_[size_t(book)]);
    return std::move(books_[size_t(book)]);
}

QStringList NotebookLoading::Warnings(int book) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return warnings_[size_t(book)];
}
