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
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(journal, &parseError);
    if (doc.isNull() || !doc.isObject() || !doc.object().value(QStringLiteral("positions")).isArray())
        throw VelmoraError(parseError.error != QJsonParseError::NoError
                               ? QStringLiteral("不是有效的 JSON（第 %1 個字元起）").arg(parseError.offset + 1)
                               : QStringLiteral("不是座標日誌"));
    return doc.object().value(QStringLiteral("positions")).toArray();
}

// A position the notes file can hold: a whole number from 0 to the largest 32-bit one.
bool TakePositionValue(const QJsonValue &value, qint32 &out) {
    if (!value.isDouble())
        return false;
    const double v = value.toDouble();
    if (!std::isfinite(v) || v != std::floor(v) || v < 0 || v > double(std::numeric_limits<qint32>::max()))
        return false;
    out = qint32(v);
    return true;
}

} // namespace

void CaptureLog::Touch(NoteRef ref) {
    const NoteEntry &e = store_.Entry(ref);
    base_.emplace(Key{ref.book, ref.entry}, std::make_pair(e.x, e.y));
}

bool CaptureLog::Record(NoteRef ref, qint32 x, qint32 y) {
    if (!store_.Contains(ref) || store_.Entry(ref).isPage)
        return false;
    Touch(ref);
    const NoteEntry &e = store_.Entry(ref);
    steps_.push_back(Step{ref, e.x, e.y});
    store_.SetPosition(ref, x, y);
    return true;
}

NoteRef CaptureLog::UndoLast() {
    if (steps_.empty())
        return NoteRef();
    const Step step = steps_.back();
    steps_.pop_back();
    store_.SetPosition(step.ref, step.oldX, step.oldY);
    return step.ref;
}

bool CaptureLog::IsChanged(int book) const { return !Changes(book).empty(); }

bool CaptureLog::HasUnsaved() const {
    for (int b = 0; b < kNotebookCount; ++b)
        if (IsChanged(b))
            return true;
    return false;
}

std::vector<PositionChange> CaptureLog::Changes(int book) const {
    std::vector<PositionChange> changes;
    for (auto it = base_.lower_bound(Key{book, 0}); it != base_.end() && it->first.first == book; ++it) {
        const NoteRef ref{book, it->first.second};
        if (!store_.Contains(ref))
            continue;
        const NoteEntry &e = store_.Entry(ref);
        if (e.x != it->second.first || e.y != it->second.second)
            changes.push_back(PositionChange{ref.entry, e.x, e.y, it->second.first, it->second.second});
    }
    return changes;
}

void CaptureLog::ForgetBook(int book) {
    steps_.erase(std::remove_if(steps_.begin(), steps_.end(), [book](const Step &s) { return s.ref.book == book; }),
                 steps_.end());
    base_.erase(base_.lower_bound(Key{book, 0}), base_.lower_bound(Key{book + 1, 0}));
}

std::vector<CaptureLog::Unsaved> CaptureLog::TakeUnsaved(int book) {
    std::vector<Unsaved> unsaved;
    for (const PositionChange &c : Changes(book)) {
        const NoteEntry &e = store_.Entry(NoteRef{book, int(c.record)});
        unsaved.push_back(Unsaved{int(c.record), e.title, e.x, e.y, c.baseX, c.baseY});
    }
    ForgetBook(book);
    return unsaved;
}

QStringList CaptureLog::Reapply(int book, const std::vector<Unsaved> &unsaved) {
    QStringList lost;
    for (const Unsaved &u : unsaved) {
        const NoteRef ref{book, u.record};
        if (store_.Contains(ref) && !store_.Entry(ref).isPage && store_.Entry(ref).title == u.title) {
            base_.emplace(Key{book, u.record}, std::make_pair(u.baseX, u.baseY));
            Record(ref, u.x, u.y);
        }
        else
            lost << QStringLiteral("【%1】#%2 %3").arg(NotebookLetters()[size_t(book)]).arg(u.record).arg(u.title);
    }
    return lost;
}

QByteArray CaptureLog::JournalBytes() const {
    QJsonArray positions;
    for (int b = 0; b < kNotebookCount; ++b) {
        for (const PositionChange &c : Changes(b)) {
            const NoteEntry &e = store_.Entry(NoteRef{b, int(c.record)});
            positions.append(QJsonObject{{kNotebookKey, NotebookLetters()[size_t(b)]},
                                         {kRecordKey, int(c.record)},
                                         {kTitleKey, e.title},
                                         {QStringLiteral("x"), e.x},
                                         {QStringLiteral("y"), e.y}});
        }
    }
    if (positions.isEmpty())
        return QByteArray();
    return QJsonDocument(QJsonObject{{QStringLiteral("velmoranote-journal"), 1}, {QStringLiteral("positions"), positions}})
        .toJson(QJsonDocument::Indented);
}

int CaptureLog::JournalSize(const QByteArray &journal) { return int(PositionsOf(journal).size()); }

CaptureLog::Restored CaptureLog::Restore(const QByteArray &journal) {
    Restored result;
    for (const QJsonValue &value : PositionsOf(journal)) {
        const QJsonObject item = value.toObject();
        const QString letter = item.value(kNotebookKey).toString();
        const auto at = std::find(NotebookLetters().begin(), NotebookLetters().end(), letter);
        const NoteRef ref{at == NotebookLetters().end() ? -1 : int(at - NotebookLetters().begin()),
                          item.value(kRecordKey).toInt(-1)};
        const QString title = item.value(kTitleKey).toString();
        const QString name = QStringLiteral("【%1】#%2 %3").arg(letter).arg(item.value(kRecordKey).toInt(-1)).arg(title);
        // The record must still be the entry it was: same notebook, place and headword.
        if (!store_.Contains(ref) || store_.Entry(ref).isPage || store_.Entry(ref).title != title) {
            result.skipped << name;
            continue;
        }
        qint32 x = -1, y = -1;
        if (!TakePositionValue(item.value(QStringLiteral("x")), x) ||
            !TakePositionValue(item.value(QStringLiteral("y")), y)) {
            result.skipped << name + QStringLiteral("（座標值無效）");
            continue;
        }
        Record(ref, x, y);
        ++result.count;
    }
    return result;
}

int CaptureLog::UnpositionedCount(int book) const {
    const QList<NoteEntry> &entries = store_.Set().books[size_t(book)].entries;
    return int(std::count_if(entries.begin(), entries.end(), [](const NoteEntry &e) { return !e.isPage && !e.HasPosition(); }));
}

QString CaptureLog::UnpositionedText() const {
    QStringList parts;
    for (int b = 0; b < kNotebookCount; ++b)
        parts << NotebookLetters()[size_t(b)] + QLatin1Char(' ') + QString::number(UnpositionedCount(b));
    return QStringLiteral("未定位：") + parts.join(QStringLiteral("　"));
}
