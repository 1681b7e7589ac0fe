#include "corpus/CaptureLog.h"

#include "common/Error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace {

const QString kNotebookKey = QStringLiteral("notebook");
const QString kRecordKey = QStringLiteral("record");
const QString kTitleKey = QStringLiteral("title");

QJsonArray PositionsOf(const QByteArray &journal) {
    // Capped at what unsaved positions can need, before the parsing: a journal made by something else
    // must not hold the window for a minute or take its memory.
    if (journal.size() > CaptureLog::kMaxJournalBytes)
        throw VelmoraError(QStringLiteral("檔案有 %1 MB，超過座標日誌可能的大小（%2 MB）")
                               .arg(journal.size() / (1024 * 1024))
                               .arg(CaptureLog::kMaxJournalBytes / (1024 * 1024)));
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(journal, &parseError);
    if (doc.isNull() || !doc.isObject() || !doc.object().value(QStringLiteral("positions")).isArray())
        throw VelmoraError(
            parseError.error != QJsonParseError::NoError
                ? QStringLiteral("不是有效的 JSON（第 %1 個字元起）").arg(parseError.offset + 1)
                : QStringLiteral("不是座標日誌"));
    const QJsonArray positions = doc.object().value(QStringLiteral("positions")).toArray();
    if (positions.size() > CaptureLog::kMaxJournalItems)
        throw VelmoraError(QStringLiteral("有 %1 個項目，超過座標日誌可能的數目（%2 個）")
                               .arg(positions.size())
                               .arg(CaptureLog::kMaxJournalItems));
    for (const QJsonValue &value : positions)
        if (value.toObject().value(kTitleKey).toString().size() > CaptureLog::kMaxJournalTitle)
            throw VelmoraError(
                QStringLiteral("有長於 %1 個字的條目名稱，不是座標日誌").arg(CaptureLog::kMaxJournalTitle));
    return positions;
}

// A position the notes file can hold: a whole number from 0 to the largest 32-bit one.
bool TakePositionValue(const QJsonValue &value, qint32 &out) {
    if (!value.isDouble()) return false;
    const double v = value.toDouble();
    if (!std::isfinite(v) || v != std::floor(v) || v < 0 || v > double(std::numeric_limits<qint32>::max()))
        return false;
    out = qint32(v);
    return true;
}

QString NameOf(const EntryAnchor &a) {
    return QStringLiteral("【%1】%2").arg(NotebookLetters()[size_t(a.book)], a.title);
}

// The record a journal of the earlier kind names (notebook, record and headword, no page): the record
// itself when it still holds that headword, else the one record of that headword in the notebook.
int FindLegacy(const Notebook &notebook, const EntryAnchor &a) {
    const QList<NoteEntry> &entries = notebook.entries;
    if (a.record >= 0 && a.record < entries.size() && !entries[a.record].isPage &&
        entries[a.record].title == a.title)
        return a.record;
    int found = -1;
    for (qsizetype r = 0; r < entries.size(); ++r) {
        if (entries[r].isPage || entries[r].title != a.title) continue;
        if (found >= 0) return -1;
        found = int(r);
    }
    return found;
}

} // namespace

CaptureLog::CaptureLog(NotebookStore &store) : store_(store) {
    // Before a notebook is replaced its changes are anchored to their entries; after, found again.
    connections_.push_back(QObject::connect(&store_, &NotebookStore::BookAboutToBeReplaced,
                                            [this](int book) { AnchorBook(book); }));
    connections_.push_back(
        QObject::connect(&store_, &NotebookStore::BookReloaded, [this](int book) { PlaceBook(book); }));
    connections_.push_back(
        QObject::connect(&store_, &NotebookStore::BookExtended, [this](int book) { PlaceBook(book); }));
}

CaptureLog::~CaptureLog() {
    for (const QMetaObject::Connection &c : connections_)
        QObject::disconnect(c);
}

void CaptureLog::AnchorBook(int book) {
    const Notebook &notebook = store_.Set().books[size_t(book)];
    moving_.clear();
    movingSteps_.clear();
    for (auto it = base_.lower_bound(Key{book, 0}); it != base_.end() && it->first.first == book; ++it) {
        const NoteRef ref{book, it->first.second};
        if (!store_.Contains(ref)) continue;
        const NoteEntry &e = store_.Entry(ref);
        moving_.push_back(
            NotPlaced{AnchorOf(notebook.entries, ref), e.x, e.y, it->second.first, it->second.second});
    }
    for (const Step &step : steps_)
        if (step.ref.book == book) movingSteps_.emplace_back(AnchorOf(notebook.entries, step.ref), step);
    steps_.erase(
        std::remove_if(steps_.begin(), steps_.end(), [book](const Step &s) { return s.ref.book == book; }),
        steps_.end());
    base_.erase(base_.lower_bound(Key{book, 0}), base_.lower_bound(Key{book + 1, 0}));
}

int CaptureLog::Find(const NotPlaced &p) const {
    const Notebook &notebook = store_.Set().books[size_t(p.anchor.book)];
    return p.byRecord ? FindLegacy(notebook, p.anchor) : FindAnchor(notebook.entries, p.anchor);
}

void CaptureLog::Place(const NotPlaced &p, int record) {
    const NoteRef ref{p.anchor.book, record};
    if (p.baseX != -2) base_.emplace(Key{ref.book, ref.entry}, std::make_pair(p.baseX, p.baseY));
    Touch(ref);
    store_.SetPosition(ref, p.x, p.y);
}

void CaptureLog::PlaceBook(int book) {
    std::vector<NotPlaced> waiting;
    waiting.swap(moving_);
    // Positions not placed before are looked for again: the entry may be back.
    for (auto it = unplaced_.begin(); it != unplaced_.end();) {
        if (it->anchor.book == book) {
            waiting.push_back(*it);
            it = unplaced_.erase(it);
        } else {
            ++it;
        }
    }
    for (const NotPlaced &p : waiting) {
        // A record touched but back at its file's value holds no change to keep.
        if (p.x == p.baseX && p.y == p.baseY) continue;
        const int record = Find(p);
        if (record >= 0)
            Place(p, record);
        else
            unplaced_.push_back(p);
    }
    const Notebook &notebook = store_.Set().books[size_t(book)];
    for (auto &[anchor, step] : movingSteps_) {
        const int record = FindAnchor(notebook.entries, anchor);
        if (record < 0) continue; // its entry is gone: the step can no longer be undone
        step.ref.entry = record;
        steps_.push_back(step);
    }
    movingSteps_.clear();
}

QStringList CaptureLog::UnplacedText() const {
    QStringList lines;
    for (const NotPlaced &p : unplaced_)
        lines << QStringLiteral("%1 x=%2, y=%3").arg(NameOf(p.anchor)).arg(p.x).arg(p.y);
    return lines;
}

void CaptureLog::Touch(NoteRef ref) {
    const NoteEntry &e = store_.Entry(ref);
    base_.emplace(Key{ref.book, ref.entry}, std::make_pair(e.x, e.y));
}

bool CaptureLog::Record(NoteRef ref, qint32 x, qint32 y) {
    if (!store_.Contains(ref) || store_.Entry(ref).isPage) return false;
    Touch(ref);
    const NoteEntry &e = store_.Entry(ref);
    steps_.push_back(Step{ref, e.x, e.y});
    store_.SetPosition(ref, x, y);
    return true;
}

NoteRef CaptureLog::UndoLast() {
    if (steps_.empty()) return NoteRef();
    const Step step = steps_.back();
    steps_.pop_back();
    store_.SetPosition(step.ref, step.oldX, step.oldY);
    return step.ref;
}

bool CaptureLog::IsChanged(int book) const {
    return !Changes(book).empty();
}

bool CaptureLog::HasUnsaved() const {
    if (!unplaced_.empty()) return true;
    for (int b = 0; b < kNotebookCount; ++b)
        if (IsChanged(b)) return true;
    return false;
}

std::vector<PositionChange> CaptureLog::Changes(int book) const {
    std::vector<PositionChange> changes;
    for (auto it = base_.lower_bound(Key{book, 0}); it != base_.end() && it->first.first == book; ++it) {
        const NoteRef ref{book, it->first.second};
        if (!store_.Contains(ref)) continue;
        const NoteEntry &e = store_.Entry(ref);
        if (e.x != it->second.first || e.y != it->second.second)
            changes.push_back(PositionChange{ref.entry, e.x, e.y, it->second.first, it->second.second});
    }
    return changes;
}

void CaptureLog::ForgetBook(int book) {
    steps_.erase(
        std::remove_if(steps_.begin(), steps_.end(), [book](const Step &s) { return s.ref.book == book; }),
        steps_.end());
    base_.erase(base_.lower_bound(Key{book, 0}), base_.lower_bound(Key{book + 1, 0}));
}

QByteArray CaptureLog::JournalBytes() const {
    QJsonArray positions;
    for (int b = 0; b < kNotebookCount; ++b) {
        for (const PositionChange &c : Changes(b)) {
            // The entry's anchor (notebook, record and title as before, with its page and neighbours).
            QJsonObject item =
                AnchorOf(store_.Set().books[size_t(b)].entries, NoteRef{b, int(c.record)}).ToJson();
            item.insert(QStringLiteral("x"), c.x);
            item.insert(QStringLiteral("y"), c.y);
            positions.append(item);
        }
    }
    for (const NotPlaced &p : unplaced_) {
        QJsonObject item = p.anchor.ToJson();
        if (p.byRecord) item.remove(QStringLiteral("page")); // an earlier journal's: kept as it was
        item.insert(QStringLiteral("x"), p.x);
        item.insert(QStringLiteral("y"), p.y);
        positions.append(item);
    }
    if (positions.isEmpty()) return QByteArray();
    return QJsonDocument(QJsonObject{{QStringLiteral("velmoranote-journal"), 1},
                                     {QStringLiteral("positions"), positions}})
        .toJson(QJsonDocument::Indented);
}

int CaptureLog::JournalSize(const QByteArray &journal) {
    return int(PositionsOf(journal).size());
}

CaptureLog::Restored CaptureLog::Restore(const QByteArray &journal) {
    Restored result;
    for (const QJsonValue &value : PositionsOf(journal)) {
        const QJsonObject item = value.toObject();
        EntryAnchor anchor = EntryAnchor::FromJson(item);
        const QString name = QStringLiteral("【%1】#%2 %3")
                                 .arg(item.value(kNotebookKey).toString())
                                 .arg(item.value(kRecordKey).toInt(-1))
                                 .arg(item.value(kTitleKey).toString());
        if (!anchor.IsValid()) {
            result.skipped << name + QStringLiteral("（不是條目）");
            continue;
        }
        qint32 x = -1, y = -1;
        if (!TakePositionValue(item.value(QStringLiteral("x")), x) ||
            !TakePositionValue(item.value(QStringLiteral("y")), y)) {
            result.skipped << name + QStringLiteral("（座標值無效）");
            continue;
        }
        // A journal of the earlier kind has no page: its record and headword decide.
        const NotPlaced p{anchor, x, y, -2, -2, !item.contains(QStringLiteral("page"))};
        const int record = Find(p);
        if (record >= 0) {
            Record(NoteRef{anchor.book, record}, x, y); // undoable, as if recorded now
            ++result.count;
        } else {
            unplaced_.push_back(p);
            ++result.unplaced;
        }
    }
    return result;
}

int CaptureLog::UnpositionedCount(int book) const {
    const QList<NoteEntry> &entries = store_.Set().books[size_t(book)].entries;
    return int(std::count_if(entries.begin(), entries.end(),
                             [](const NoteEntry &e) { return !e.isPage && !e.HasPosition(); }));
}

QString CaptureLog::UnpositionedText() const {
    QStringList parts;
    for (int b = 0; b < kNotebookCount; ++b)
        parts << NotebookLetters()[size_t(b)] + QLatin1Char(' ') + QString::number(UnpositionedCount(b));
    return QStringLiteral("未定位：") + parts.join(QStringLiteral("　"));
}
