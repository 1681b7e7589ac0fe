#include "widgets/FileNamesModel.h"

#include "widgets/Look.h"

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
    if (!index.isValid() || index.row() >= names_.size()) return QVariant();
    const QString &name = names_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return name;
    case RowTextLinesRole:
        return QStringList{name}; // a file name is one line, whatever it holds
    case RowLineCountRole:
        return 1;
    case Qt::BackgroundRole: {
        const size_t k = size_t(ScanLetterIndex(name));
        return index.row() % 2 != 0 ? ScanAltRowColours()[k] : ScanRowColours()[k];
    }
    default:
        return QVariant();
    }
}

int ScanLetterIndex(const QString &name) {
    if (name.isEmpty()) return 0;
    switch (name[0].unicode()) {
    case u'L':
        return 1;
    case u'M':
        return 2;
    case u'N':
        return 3;
    case u'O':
        return 4;
    default:
        return 0;
    }
}
