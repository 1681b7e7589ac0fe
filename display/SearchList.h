#pragma once
// The search results list: a model over the row map searchBooks/searchEntries.

#include <QAbstractListModel>

class TfmMain;

class SearchModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit SearchModel(TfmMain *window);
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // "【" + notebook letter + "】" + the headword as stored.
    QVariant data(const QModelIndex &index, int role) const override;
    QString RowText(int row) const;
    void BeginFill() { beginResetModel(); }
    void EndFill() { endResetModel(); }

private:
    TfmMain *w;
};
