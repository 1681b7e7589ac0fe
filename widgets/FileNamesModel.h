#pragma once
// The rows of a file list: bare file names, coloured by their scan letter and alternating by row.

#include "widgets/OwnerDrawList.h"

#include <QAbstractListModel>
#include <QStringList>

class FileNamesModel : public QAbstractListModel, public RowLineCounts {
    Q_OBJECT
public:
    explicit FileNamesModel(QObject *parent);

    // Replaces every row.
    void SetNames(const QStringList &names);
    const QStringList &Names() const { return names_; }
    // The name of a row; "" for a row that does not exist.
    QString Name(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    int RowLineCount(int) const override { return 1; }

private:
    QStringList names_;
};

// The colour group of a name, in scan order K, L, M, N, O: L 1, M 2, N 3, O 4, anything else 0.
int ScanLetterIndex(const QString &name);
