#include "widgets/NoteRowsModel.h"

#include "corpus/ReaderMarks.h"
#include "widgets/Look.h"

#include <QColor>

#include <algorithm>

NoteRowsModel::NoteRowsModel(const NotebookSet &notebooks, Style style, QObject *parent)
    : QAbstractListModel(parent), notebooks_(notebooks), style_(style) {}

void NoteRowsModel::FollowMarks(const ReaderMarks &marks) {
    marks_ = &marks;
    const QList<int> starRole{RowStarredRole};
    connect(&marks, &ReaderMarks::MarksChanged, this, [this, starRole](NoteRef ref) {
        for (size_t r = 0; r < rows_.size(); ++r)
            if (rows_[r] == ref) Q_EMIT dataChanged(index(int(r)), index(int(r)), starRole);
    });
    connect(&marks, &ReaderMarks::MarksReset, this, [this, starRole] {
        if (!rows_.empty()) Q_EMIT dataChanged(index(0), index(int(rows_.size()) - 1), starRole);
    });
}

void NoteRowsModel::SetRows(std::vector<NoteRef> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void NoteRowsModel::UpdateRows(std::vector<NoteRef> rows) {
    if (rows == rows_) return;
    const size_t shorter = std::min(rows_.size(), rows.size());
    size_t head = 0;
    while (head < shorter && rows_[head] == rows[head])
        ++head;
    size_t tail = 0;
    while (tail < shorter - head && rows_[rows_.size() - 1 - tail] == rows[rows.size() - 1 - tail])
        ++tail;
    if (rows.size() <= rows_.size() || head + tail != rows_.size()) return SetRows(std::move(rows));
    beginInsertRows(QModelIndex(), int(head), int(rows.size() - tail) - 1);
    rows_ = std::move(rows);
    endInsertRows();
}

void NoteRowsModel::BookChanged(int book) {
    stripes_[book].clear();
    beginResetModel();
    // Rows past the notebook's new end would point at nothing.
    const int count = int(notebooks_.books[size_t(book)].entries.size());
    rows_.erase(
        std::remove_if(rows_.begin(), rows_.end(),
                       [book, count](const NoteRef &r) { return r.book == book && r.entry >= count; }),
        rows_.end());
    endResetModel();
}

NoteRef NoteRowsModel::Ref(int row) const {
    return row >= 0 && size_t(row) < rows_.size() ? rows_[size_t(row)] : NoteRef();
}

int NoteRowsModel::RowOf(NoteRef ref) const {
    for (size_t r = 0; r < rows_.size(); ++r)
        if (rows_[r] == ref) return int(r);
    return -1;
}

int NoteRowsModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QString NoteRowsModel::RowText(int row) const {
    const NoteRef ref = rows_[size_t(row)];
    const QString &title = notebooks_.entry(ref).title;
    if (style_ == Style::Entries) return title;
    return QStringLiteral("【") + NotebookLetters()[size_t(ref.book)] + QStringLiteral("】") + title;
}

int NoteRowsModel::RowLineCount(int row) const {
    return notebooks_.entry(rows_[size_t(row)]).lineCount;
}

int NoteRowsModel::StripeNumber(NoteRef ref) const {
    std::vector<int> &s = stripes_[ref.book];
    const QList<NoteEntry> &entries = notebooks_.books[size_t(ref.book)].entries;
    if (s.size() != size_t(entries.size())) {
        s.resize(size_t(entries.size()));
        int count = 0;
        for (qsizetype e = 0; e < entries.size(); ++e) {
            s[size_t(e)] = count;
            if (!entries[e].isPage) ++count;
        }
    }
    return s[size_t(ref.entry)];
}

QColor NoteRowsModel::Background(int row) const {
    const NoteRef ref = rows_[size_t(row)];
    const size_t b = size_t(ref.book);
    if (style_ == Style::SearchResults)
        return (row % 2) ? NotebookAltRowColours()[b] : NotebookRowColours()[b];
    if (notebooks_.entry(ref).isPage) return PageRowColours()[b];
    return (StripeNumber(ref) % 2) ? NotebookAltRowColours()[b] : NotebookRowColours()[b];
}

QVariant NoteRowsModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return RowText(index.row()); // the list's type-to-select matches it
    case RowTextLinesRole:
        return SplitRowLines(RowText(index.row()));
    // A screen reader reads the row as it is shown: its lines, without the markup that breaks them.
    case Qt::AccessibleTextRole:
        return SplitRowLines(RowText(index.row())).join(QLatin1Char(' '));
    case RowLineCountRole:
        return RowLineCount(index.row());
    case Qt::BackgroundRole:
        return Background(index.row());
    case RowStarredRole:
        return marks_ && marks_->IsStarred(rows_[size_t(index.row())]);
    default:
        return QVariant();
    }
}

int NoteRowsModel::RowAfterCapture(int row, bool &show) const {
    show = false;
    const int rows = rowCount();
    if (row < 0 || row + 1 >= rows) return -1;
    int next = row + 1;
    if (notebooks_.entry(Ref(next)).isPage) {
        if (next + 1 >= rows) return next;
        ++next;
    }
    show = true;
    return next;
}

QStringList NoteRowsModel::NeighbourScans(int row) const {
    QStringList scans;
    if (row < 0 || size_t(row) >= rows_.size()) return scans;
    const QString &here = notebooks_.entry(rows_[size_t(row)]).pageImage;
    for (int step : {1, -1}) {
        for (int r = row + step; r >= 0 && size_t(r) < rows_.size(); r += step) {
            const QString &scan = notebooks_.entry(rows_[size_t(r)]).pageImage;
            if (scan != here) {
                scans << scan;
                break;
            }
        }
    }
    return scans;
}
