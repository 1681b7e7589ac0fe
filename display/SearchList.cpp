#include "display/SearchList.h"

#include "display/Search.h"
#include "shell/Main.h"
#include "shell/OwnerDrawList.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPainter>

SearchModel::SearchModel(TfmMain *window) : QAbstractListModel(window), w(window) {}

int SearchModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(w->searchBooks.size());
}

QString SearchModel::RowText(int row) const {
    const int b = w->searchBooks[row];
    return QStringLiteral("【") + w->bookLetters[b] + QStringLiteral("】") +
           w->notebooks[b]->entries[w->searchEntries[row]].title;
}

QVariant SearchModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= w->searchBooks.size())
        return QVariant();
    return RowText(index.row());
}

void TfmMain::SetUpSearchList() {
    searchModel = new SearchModel(this);
    lbSearch->setModel(searchModel);
    lbSearch->setItemDelegate(new OwnerDrawDelegate(
        [this](QPainter &painter, int row, const QRect &rect, bool selected) {
            const int b = searchBooks[row];
            const QColor background =
                selected ? QColor(0x00, 0x00, 0x80) : ((row % 2) ? rowAltColors[b] : rowColors[b]);
            PaintRowText(painter, rect, background, searchModel->RowText(row), lbSearch->itemHeight);
        },
        [this](int row) { return SearchRowHeight(row); }, lbSearch));
}

int TfmMain::SearchRowHeight(int index) const {
    return lbSearch->itemHeight * notebooks[searchBooks[index]]->entries[searchEntries[index]].lineCount;
}

void TfmMain::edSearchChange() {
    searchModel->BeginFill();
    searchBooks.clear();
    searchEntries.clear();
    const QString query = edSearch->text();
    if (!query.isEmpty() && search) {
        SearchScope scope;
        for (int b = 0; b < 4; ++b)
            scope.books[b] = searchChecks[b]->isChecked();
        scope.title = cbTitle->isChecked();
        scope.content = cbContent->isChecked();
        scope.remark = cbPs->isChecked();
        scope.source = cbSource->isChecked();
        const QList<SearchHit> hits = search->Find(query, scope);
        searchBooks.reserve(hits.size());
        searchEntries.reserve(hits.size());
        for (const SearchHit &hit : hits) {
            searchBooks.append(hit.book);
            searchEntries.append(hit.entry);
        }
    }
    searchModel->EndFill();
}

void TfmMain::edSearchKeyDown(int key) {
    if (key == 13)
        edSearchChange();
}
void TfmMain::edSearchClick() { edSearchChange(); }
void TfmMain::cbTitleClick() { edSearchChange(); }
void TfmMain::cbContentClick() { edSearchChange(); }
void TfmMain::cbPsClick() { edSearchChange(); }
void TfmMain::cbSourceClick() { edSearchChange(); }
void TfmMain::cbKSearchClick() { edSearchChange(); }

void TfmMain::lbSearchClick() {
    const int i = lbSearch->ItemIndex();
    if (i < 0)
        return;
    ShowEntry(searchBooks[i], searchEntries[i], edSearch->text());
}
