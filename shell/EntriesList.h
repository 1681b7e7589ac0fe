#pragma once
// The entries list: a model over the row map itemBooks/itemEntries and the painting of its rows.

#include <QAbstractListModel>
#include <vector>

class TfmMain;

class EntriesModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit EntriesModel(TfmMain *window);
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // The row text is the headword as stored; the list's type-to-select matches it.
    QVariant data(const QModelIndex &index, int role) const override;
    // Call around a change of the row map.
    void BeginFill() { beginResetModel(); }
    void EndFill() { endResetModel(); }
    // How many real entries (not page headers) come before entry e of notebook b.
    int StripeNumber(int book, int entry) const;

private:
    TfmMain *w;
    // Per notebook, the stripe number of every record; the notebooks never change after loading.
    mutable std::vector<int> stripes[4];
};
