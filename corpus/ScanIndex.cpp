#include "corpus/ScanIndex.h"

#include "corpus/NotebookStore.h"

#include <algorithm>
#include <cmath>

namespace {
bool Before(const PlacedEntry &a, const PlacedEntry &b) {
    return a.ref.book != b.ref.book ? a.ref.book < b.ref.book : a.ref.entry < b.ref.entry;
}
} // namespace

ScanIndex::ScanIndex(const NotebookStore &store, QObject *parent) : QObject(parent), store_(store) {
    connect(&store_, &NotebookStore::PositionChanged, this, [this](NoteRef ref) {
        if (built_) Moved(ref);
    });
    const auto reindex = [this](int book) {
        if (!built_) return;
        DropBook(book);
        IndexBook(book);
        Q_EMIT Changed();
    };
    connect(&store_, &NotebookStore::BookReloaded, this, reindex);
    connect(&store_, &NotebookStore::BookExtended, this, reindex);
    connect(&store_, &NotebookStore::BookSaved, this, reindex);
}

QString ScanIndex::Key(const QString &path) {
    QString key = path;
    key.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (key.startsWith(QLatin1String(".\\")))
        key.remove(0, 2);
    return key.toCaseFolded();
}

void ScanIndex::Build() {
    byScan_.clear();
    for (int book = 0; book < kNotebookCount; ++book)
        IndexBook(book);
    built_ = true;
}

void ScanIndex::IndexBook(int book) {
    const QList<NoteEntry> &entries = store_.Set().books[size_t(book)].entries;
    // Records of one page follow each other: the key is made once per run of the same scan.
    QString lastPath, lastKey;
    std::vector<PlacedEntry> *bucket = nullptr;
    for (int i = 0; i < entries.size(); ++i) {
        const NoteEntry &e = entries[i];
        if (e.isPage || !e.HasPosition() || e.pageImage.isEmpty()) continue;
        if (!bucket || e.pageImage != lastPath) {
            lastPath = e.pageImage;
            lastKey = Key(lastPath);
            bucket = &byScan_[lastKey];
        }
        bucket->push_back({NoteRef{book, i}, QPoint(e.x, e.y), e.title});
    }
    // Books are indexed in order at the start; a book indexed again lands at the end of each list.
    if (built_)
        for (auto &list : byScan_)
            std::sort(list.begin(), list.end(), Before);
}

void ScanIndex::DropBook(int book) {
    for (auto it = byScan_.begin(); it != byScan_.end();) {
        auto &list = it.value();
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [book](const PlacedEntry &p) { return p.ref.book == book; }),
                   list.end());
        it = list.empty() ? byScan_.erase(it) : std::next(it);
    }
}

void ScanIndex::Moved(NoteRef ref) {
    if (!store_.Contains(ref)) return;
    const NoteEntry &e = store_.Entry(ref);
    const QString key = Key(e.pageImage);
    auto &list = byScan_[key];
    const auto at =
        std::find_if(list.begin(), list.end(), [ref](const PlacedEntry &p) { return p.ref == ref; });
    if (e.isPage || !e.HasPosition()) {
        if (at != list.end()) list.erase(at);
    } else if (at != list.end()) {
        at->pos = QPoint(e.x, e.y);
    } else {
        const PlacedEntry placed{ref, QPoint(e.x, e.y), e.title};
        list.insert(std::upper_bound(list.begin(), list.end(), placed, Before), placed);
    }
    if (list.empty()) byScan_.remove(key);
    Q_EMIT Changed();
}

const std::vector<PlacedEntry> &ScanIndex::On(const QString &path) {
    static const std::vector<PlacedEntry> none;
    if (!built_) Build();
    const auto it = byScan_.constFind(Key(path));
    return it == byScan_.constEnd() ? none : it.value();
}

NoteRef ScanIndex::Nearest(const QString &path, int x, int y, double radius) {
    NoteRef best;
    double bestDistance = radius;
    for (const PlacedEntry &p : On(path)) {
        const double d = std::hypot(double(p.pos.x()) - x, double(p.pos.y()) - y);
        // Ties go to the earlier entry in its notebook.
        if (d < bestDistance || (d == bestDistance && !best.isValid())) {
            bestDistance = d;
            best = p.ref;
        }
    }
    return best;
}

qint64 ScanIndex::MemoryBytes() const {
    qint64 bytes =
        qint64(byScan_.capacity()) * qint64(sizeof(QString) + sizeof(std::vector<PlacedEntry>) + 16);
    for (auto it = byScan_.cbegin(); it != byScan_.cend(); ++it)
        bytes += it.key().capacity() * 2 + 24 + qint64(it.value().capacity() * sizeof(PlacedEntry));
    return bytes;
}

int ScanIndex::PlacedCount() const {
    int count = 0;
    for (const auto &list : byScan_)
        count += int(list.size());
    return count;
}
