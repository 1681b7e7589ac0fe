#include "corpus/NotebookLoading.h"
#include "common/Log.h"

#include "corpus/NotesFile.h"
#include "platform/WinPath.h"

#include <QFileInfo>

#include <algorithm>
#include <system_error>
#include <thread>

NotebookLoading::NotebookLoading(NotebookSet &set) {
    const auto &names = NotesFileNames();
    std::array<qint64, kNotebookCount> sizes{};
    std::array<int, kNotebookCount> order{};
    for (int b = 0; b < kNotebookCount; ++b) {
        sizes[size_t(b)] = QFileInfo(ResolveWinPath(names[size_t(b)])).size();
        order[size_t(b)] = b;
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return sizes[size_t(a)] > sizes[size_t(b)]; });

    const int cores = int(std::thread::hardware_concurrency());
    const int readerCount = std::clamp(cores, 1, kNotebookCount);
    std::vector<std::vector<int>> shares(size_t(readerCount), std::vector<int>{});
    std::vector<qint64> load(size_t(readerCount), 0);
    for (int b : order) {
        const size_t least = size_t(std::min_element(load.begin(), load.end()) - load.begin());
        shares[least].push_back(b);
        load[least] += sizes[size_t(b)];
    }

    for (std::vector<int> &share : shares) {
        auto read = [this, &set, share] {
            for (int b : share) {
                try {
                    // Notebook::LoadNotes, keeping what the person should be told.
                    ReadNotesFile(NotesFileNames()[size_t(b)], set.books[size_t(b)].entries, &warnings_[size_t(b)]);
                } catch (...) {
                    errors_[size_t(b)] = std::current_exception();
                }
            }
        };
        try {
            readers_.push_back(std::async(std::launch::async, read));
        } catch (const std::system_error &) {
            // No thread to be had: this share is read in Finish, on the caller's thread.
            qCInfo(lcCorpus) << "no thread for reading notebooks; reading them on the caller's thread";
            readers_.push_back(std::async(std::launch::deferred, read));
        }
    }
}

void NotebookLoading::Finish() {
    for (std::future<void> &reader : readers_)
        if (reader.valid())
            reader.get();
    for (const std::exception_ptr &error : errors_)
        if (error)
            std::rethrow_exception(error);
}

QStringList NotebookLoading::Warnings() const {
    QStringList all;
    for (const QStringList &w : warnings_)
        all += w;
    return all;
}
