#include "widgets/NoteList.h"

#include "corpus/NotebookStore.h"
#include "widgets/Controls.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"
#include "widgets/OwnerDrawList.h"

NoteList::NoteList(const NotebookStore &store, NoteRowsModel::Style style, QWidget *parent,
                   const QString &objectName)
    : QObject(parent), store_(store), rows_(new NoteRowsModel(store.Set(), style, this)),
      view_(MakeRowList(parent, rows_, objectName)) {
    // A notebook read anew may have other headwords: the rows are painted from it again, and the
    // selected record stays selected (the model's reset would clear it).
    connect(&store, &NotebookStore::BookReloaded, this, [this](int book) {
        const NoteRef selected = Selected();
        rows_->BookChanged(book);
        if (selected.isValid() && Selected() != selected) Select(selected);
    });
    connect(&store, &NotebookStore::BookExtended, this, [this](int book) { rows_->BookExtended(book); });
    connect(view_, &OwnerDrawList::Click, this, Guarded([this] {
                const NoteRef ref = Selected();
                if (ref.isValid()) Q_EMIT Chosen(ref);
            }));
}

void NoteList::SetRows(std::vector<NoteRef> rows) {
    rows_->SetRows(std::move(rows));
}

void NoteList::UpdateRows(std::vector<NoteRef> rows) {
    rows_->UpdateRows(std::move(rows));
}

NoteRef NoteList::RefAt(const QPoint &at) const {
    return rows_->Ref(view_->indexAt(at).row());
}

NoteRef NoteList::Selected() const {
    return rows_->Ref(view_->ItemIndex());
}

bool NoteList::Select(NoteRef ref) {
    const int row = rows_->RowOf(ref);
    if (row < 0) return false;
    view_->SetItemIndex(row);
    return true;
}

NoteRef NoteList::StepAfterCapture() {
    bool show = false;
    const int next = rows_->RowAfterCapture(view_->ItemIndex(), show);
    if (next >= 0) view_->SetItemIndex(next);
    return show ? rows_->Ref(next) : NoteRef();
}

QStringList NoteList::NeighbourScans() const {
    return rows_->NeighbourScans(view_->ItemIndex());
}

NoteRef NoteList::SelectNextWithoutPosition() {
    const int count = rows_->rowCount();
    const int start = view_->ItemIndex();
    for (int i = 1; i <= count; ++i) {
        const int row = ((start < 0 ? -1 : start) + i) % count;
        const NoteRef ref = rows_->Ref(row);
        if (!ref.isValid()) continue;
        const NoteEntry &e = store_.Entry(ref);
        if (!e.isPage && !e.HasPosition()) {
            view_->SetItemIndex(row);
            return ref;
        }
    }
    return NoteRef();
}

void NoteList::SetFontSize(int pixels) {
    const int designFont = DesignPixels(17);
    QFont font = view_->font();
    font.setPixelSize(pixels > 0 ? pixels : designFont);
    view_->setFont(font);
    // Rows grow with their text, as the design's 21 pixels do with its 17.
    view_->itemHeight =
        pixels > 0 ? qRound(DesignPixels(21) * double(pixels) / designFont) : DesignPixels(21);
    view_->doItemsLayout();
    view_->viewport()->update();
}

void NoteList::Focus() {
    view_->setFocus(Qt::ShortcutFocusReason);
}
