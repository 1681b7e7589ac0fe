#include "corpus/ReaderMarks.h"

#include "common/Error.h"
#include "common/Log.h"

#include <QDateTime>
#include <algorithm>

namespace {

quint64 RefKey(NoteRef ref) {
    return (quint64(quint32(ref.book)) << 32) | quint32(ref.entry);
}

bool InBookOrder(const ReaderMarks::Row &a, const ReaderMarks::Row &b) {
    return a.ref.book != b.ref.book ? a.ref.book < b.ref.book : a.ref.entry < b.ref.entry;
}

} // namespace

ReaderMarks::ReaderMarks(const NotebookStore &store, const QString &fileName, const QString &library,
                         QObject *parent)
    : QObject(parent), store_(store), file_(fileName, library) {
    connect(&store, &NotebookStore::BookReloaded, this, &ReaderMarks::OnBookChanged);
    connect(&store, &NotebookStore::BookExtended, this, &ReaderMarks::OnBookChanged);
}

ReaderMarks::~ReaderMarks() = default;

const AnchorIndex &ReaderMarks::IndexOf(int book) {
    std::unique_ptr<AnchorIndex> &index = indexes_[size_t(book)];
    if (!index) index = std::make_unique<AnchorIndex>(store_.Set().books[size_t(book)]);
    return *index;
}

qint64 ReaderMarks::Stamp(qint64 after) {
    // Later than anything this reader stamped before and than the change it replaces, so that the
    // merge's "later wins" follows the order of the person's own clicks within one millisecond.
    lastTime_ = std::max({QDateTime::currentMSecsSinceEpoch(), lastTime_ + 1, after + 1});
    return lastTime_;
}

void ReaderMarks::Resolve() {
    found_.assign(data_.marks.size(), NoteRef());
    byRef_.clear();
    for (size_t i = 0; i < data_.marks.size(); ++i) {
        const Mark &m = data_.marks[i];
        if (m.IsEmpty() || m.anchor.book < 0 || m.anchor.book >= kNotebookCount) continue;
        const int record = IndexOf(m.anchor.book).Find(m.anchor);
        if (record < 0) continue;
        const NoteRef ref{m.anchor.book, record};
        found_[i] = ref;
        // Two marks found in one entry (anchored before and after an edit, by two readers): the later
        // shows, and the next write joins them.
        const auto other = byRef_.constFind(RefKey(ref));
        if (other != byRef_.cend()) {
            const Mark &o = data_.marks[size_t(*other)];
            if (std::max(o.starTime, o.noteTime) > std::max(m.starTime, m.noteTime)) continue;
        }
        byRef_.insert(RefKey(ref), int(i));
    }
}

void ReaderMarks::OnBookChanged(int book) {
    indexes_[size_t(book)].reset();
    Resolve();
    Q_EMIT MarksReset();
}

void ReaderMarks::Adopt(MarksData data) {
    const bool same = data.marks == data_.marks;
    data_ = std::move(data);
    Resolve();
    if (!same) Q_EMIT MarksReset();
}

void ReaderMarks::Load() {
    MarksData disk = file_.Read();
    for (const EntryAnchor &key : std::as_const(unwritten_))
        if (const int at = data_.IndexOf(key); at >= 0) MergeMark(disk.Take(key), data_.marks[size_t(at)]);
    Adopt(std::move(disk));
}

void ReaderMarks::Refresh(MarksData &data) {
    const size_t count = data.marks.size();
    for (size_t i = 0; i < count; ++i) {
        if (data.marks[i].IsEmpty()) continue;
        const EntryAnchor &old = data.marks[i].anchor;
        if (old.book < 0 || old.book >= kNotebookCount) continue;
        const Notebook &notebook = store_.Set().books[size_t(old.book)];
        const int record = IndexOf(old.book).Find(old);
        if (record < 0) continue;
        const EntryAnchor now = AnchorOf(notebook.entries, NoteRef{old.book, record});
        if (now == old) {
            data.marks[i].anchor = now; // the neighbours and index as they are now
            continue;
        }
        // Moved under the entry's anchor as it is now, keeping the times of its changes; the old anchor
        // keeps removals of the same times, so that a copy of the old mark elsewhere does not come back.
        Mark moved = data.marks[i];
        moved.anchor = now;
        MergeMark(data.Take(now), moved);
        Mark &gone = data.marks[i];
        gone.starred = false;
        gone.note.clear();
        qCInfo(lcCorpus) << "mark moved to the entry's anchor after an edit:" << now.title;
    }
}

void ReaderMarks::Flush() {
    // Nothing of ours to write: a reader that marks nothing never writes the file.
    if (unwritten_.isEmpty()) {
        Load();
        return;
    }
    std::vector<Mark> mine;
    for (const EntryAnchor &key : std::as_const(unwritten_))
        if (const int at = data_.IndexOf(key); at >= 0) mine.push_back(data_.marks[size_t(at)]);
    QString notice;
    MarksData written = file_.Update(
        [&](MarksData &disk) {
            for (const Mark &m : mine)
                MergeMark(disk.Take(m.anchor), m);
            Refresh(disk);
        },
        &notice);
    unwritten_.clear();
    Adopt(std::move(written));
    if (!notice.isEmpty()) throw VelmoraError(notice);
}

Mark *ReaderMarks::MarkOf(NoteRef ref) {
    const auto it = byRef_.constFind(RefKey(ref));
    return it == byRef_.cend() ? nullptr : &data_.marks[size_t(*it)];
}

const Mark *ReaderMarks::MarkOf(NoteRef ref) const {
    const auto it = byRef_.constFind(RefKey(ref));
    return it == byRef_.cend() ? nullptr : &data_.marks[size_t(*it)];
}

Mark &ReaderMarks::TakeMark(NoteRef ref) {
    if (Mark *m = MarkOf(ref)) return *m;
    const int at = int(data_.marks.size());
    Mark &m = data_.Take(AnchorOf(store_.Set().books[size_t(ref.book)].entries, ref));
    if (int(data_.marks.size()) > at)
        found_.push_back(ref);
    else
        found_[size_t(data_.IndexOf(m.anchor))] = ref;
    byRef_.insert(RefKey(ref), data_.IndexOf(m.anchor));
    return m;
}

bool ReaderMarks::IsStarred(NoteRef ref) const {
    const Mark *m = MarkOf(ref);
    return m && m->starred;
}

QString ReaderMarks::NoteOf(NoteRef ref) const {
    const Mark *m = MarkOf(ref);
    return m ? m->note : QString();
}

void ReaderMarks::SetStarred(NoteRef ref, bool starred) {
    if (!store_.Contains(ref) || store_.Entry(ref).isPage) {
        qCDebug(lcCorpus) << "no mark on a page record or outside the notebooks";
        return;
    }
    if (IsStarred(ref) == starred) return;
    Mark &m = TakeMark(ref);
    m.starred = starred;
    m.starTime = Stamp(m.starTime);
    unwritten_.insert(AnchorKey(m.anchor), m.anchor);
    Q_EMIT MarksChanged(ref);
    Flush();
}

void ReaderMarks::SetNote(NoteRef ref, const QString &note) {
    if (!store_.Contains(ref) || store_.Entry(ref).isPage) {
        qCDebug(lcCorpus) << "no note on a page record or outside the notebooks";
        return;
    }
    if (NoteOf(ref) == note) return;
    Mark &m = TakeMark(ref);
    m.note = note;
    m.noteTime = Stamp(m.noteTime);
    unwritten_.insert(AnchorKey(m.anchor), m.anchor);
    Q_EMIT MarksChanged(ref);
}

ReaderMarks::Row ReaderMarks::RowOf(size_t mark) const {
    const Mark &m = data_.marks[mark];
    return Row{found_[mark], m.anchor, m.starred, m.starTime, m.note};
}

QList<ReaderMarks::Row> ReaderMarks::All() const {
    QList<Row> found, lost;
    for (size_t i = 0; i < data_.marks.size(); ++i) {
        if (data_.marks[i].IsEmpty()) continue;
        if (!found_[i].isValid())
            lost << RowOf(i);
        else if (byRef_.value(RefKey(found_[i]), -1) == int(i)) // not hidden by a later mark of its entry
            found << RowOf(i);
    }
    std::sort(found.begin(), found.end(), InBookOrder);
    return found + lost;
}

QList<ReaderMarks::Row> ReaderMarks::Bookmarks(Order order) const {
    QList<Row> found, lost;
    for (const Row &r : All()) {
        if (!r.starred) continue;
        (r.ref.isValid() ? found : lost) << r;
    }
    const auto newest = [](const Row &a, const Row &b) { return a.starTime > b.starTime; };
    std::stable_sort(found.begin(), found.end(), [&](const Row &a, const Row &b) {
        return order == Order::NewestFirst ? newest(a, b) : InBookOrder(a, b);
    });
    std::stable_sort(lost.begin(), lost.end(), newest);
    return found + lost;
}

QList<std::pair<NoteRef, QString>> ReaderMarks::Notes() const {
    QList<std::pair<NoteRef, QString>> notes;
    for (const Row &r : All())
        if (r.ref.isValid() && !r.note.isEmpty()) notes.append({r.ref, r.note});
    return notes;
}

bool ReaderMarks::HasNotes() const {
    return std::any_of(data_.marks.begin(), data_.marks.end(),
                       [](const Mark &m) { return !m.note.isEmpty(); });
}
