#include "shell/EntriesList.h"

#include "shell/Main.h"
#include "shell/OwnerDrawList.h"

#include <QCheckBox>
#include <QPainter>

EntriesModel::EntriesModel(TfmMain *window) : QAbstractListModel(window), w(window) {}

int EntriesModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(w->itemBooks.size());
}

QVariant EntriesModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= w->itemBooks.size())
        return QVariant();
    return w->notebooks[w->itemBooks[index.row()]]->entries[w->itemEntries[index.row()]].title;
}

int EntriesModel::StripeNumber(int book, int entry) const {
    std::vector<int> &s = stripes[book];
    const QList<NoteEntry> &entries = w->notebooks[book]->entries;
    if (s.size() != size_t(entries.size())) {
        s.resize(entries.size());
        int count = 0;
        for (qsizetype e = 0; e < entries.size(); ++e) {
            s[e] = count;
            if (!entries[e].isPage)
                ++count;
        }
    }
    return s[entry];
}

void TfmMain::SetUpEntriesList() {
    lbData->setModel(dataModel);
    lbData->setItemDelegate(new OwnerDrawDelegate(
        [this](QPainter &painter, int row, const QRect &rect, bool selected) {
            const int b = itemBooks[row];
            const int e = itemEntries[row];
            const NoteEntry &entry = notebooks[b]->entries[e];
            QColor background;
            if (selected)
                background = QColor(0x00, 0x00, 0x80);
            else if (entry.isPage)
                background = pageRowColors[b];
            else
                background = (dataModel->StripeNumber(b, e) % 2) ? rowAltColors[b] : rowColors[b];
            PaintRowText(painter, rect, background, entry.title, lbData->itemHeight);
        },
        [this](int row) { return DataRowHeight(row); }, lbData));
}

int TfmMain::DataRowHeight(int index) const {
    return lbData->itemHeight * notebooks[itemBooks[index]]->entries[itemEntries[index]].lineCount;
}

void TfmMain::FillDataList() {
    dataModel->BeginFill();
    itemBooks.clear();
    itemEntries.clear();
    qsizetype total = 0;
    for (int b = 0; b < 4; ++b)
        if (itemChecks[b]->isChecked())
            total += notebooks[b]->entries.size();
    itemBooks.reserve(total);
    itemEntries.reserve(total);
    for (int b = 0; b < 4; ++b) {
        if (!itemChecks[b]->isChecked())
            continue;
        const int count = int(notebooks[b]->entries.size());
        for (int e = 0; e < count; ++e) {
            itemBooks.append(b);
            itemEntries.append(e);
        }
    }
    dataModel->EndFill();
}

void TfmMain::cbKItemClick() { FillDataList(); }

void TfmMain::lbDataClick() {
    const int i = lbData->ItemIndex();
    if (i < 0)
        return;
    ShowEntry(itemBooks[i], itemEntries[i], QString());
}
