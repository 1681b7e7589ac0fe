#include "images/FileLists.h"

#include "shell/Main.h"
#include "shell/OwnerDrawList.h"

#include <QPainter>

FileNamesModel::FileNamesModel(QObject *parent) : QAbstractListModel(parent) {}

void FileNamesModel::SetNames(const QStringList &names) {
    beginResetModel();
    names_ = names;
    endResetModel();
}

QString FileNamesModel::Name(int row) const {
    return row >= 0 && row < names_.size() ? names_[row] : QString();
}

int FileNamesModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(names_.size());
}

QVariant FileNamesModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= names_.size() || role != Qt::DisplayRole)
        return QVariant();
    return names_[index.row()];
}

QStringList FilterFileNames(const QList<QStringList> &lists, const QList<bool> &checked, const QString &text) {
    QStringList rows;
    for (qsizetype i = 0; i < lists.size() && i < checked.size(); ++i) {
        if (!checked[i])
            continue;
        for (const QString &name : lists[i]) {
            if (text.isEmpty() || name.contains(text, Qt::CaseSensitive))
                rows.append(name);
        }
    }
    return rows;
}

int ScanLetterIndex(const QString &name) {
    if (name.isEmpty())
        return 0;
    switch (name[0].unicode()) {
    case u'L': return 1;
    case u'M': return 2;
    case u'N': return 3;
    case u'O': return 4;
    default: return 0;
    }
}

void PaintFileRow(QPainter &painter, const QRect &rect, const QString &name, int index, bool selected,
                  const std::array<QColor, 5> &colors, const std::array<QColor, 5> &altColors) {
    const int k = ScanLetterIndex(name);
    const QColor background = selected ? QColor(0x00, 0x00, 0x80) : (index % 2 != 0 ? altColors[k] : colors[k]);
    painter.fillRect(rect, background);
    // The text's top-left at the point, as the toolkit draws it: the baseline one ascent lower.
    painter.drawText(QPoint(rect.left() + 2, rect.top() + painter.fontMetrics().ascent()), name);
}

void TfmMain::SetUpFileLists() {
    imgModel = new FileNamesModel(this);
    pdfModel = new FileNamesModel(this);
    const auto setUp = [this](OwnerDrawList *list, FileNamesModel *model) {
        list->setModel(model);
        list->setItemDelegate(new OwnerDrawDelegate(
            [this, model](QPainter &painter, int row, const QRect &rect, bool selected) {
                PaintFileRow(painter, rect, model->Name(row), row, selected, scanColors, scanAltColors);
            },
            [list](int) { return list->itemHeight; }, list));
    };
    setUp(lbImg, imgModel);
    setUp(lbPDF, pdfModel);
}
