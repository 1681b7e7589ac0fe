#include "shell/EntriesPane.h"

#include "widgets/Controls.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"
#include "widgets/NoteRowsModel.h"
#include "widgets/OwnerDrawList.h"

#include <QCheckBox>
#include <QStringList>
#include <QVBoxLayout>

EntriesPane::EntriesPane(const NotebookSet &notebooks, QWidget *parent)
    : QWidget(parent), notebooks_(notebooks),
      rows_(new NoteRowsModel(notebooks, NoteRowsModel::Style::Entries, this)) {
    setObjectName(QStringLiteral("TabSheet1"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QWidget *boxes = MakePanel(this, DesignPixels(49), QStringLiteral("Panel4"));
    layout->addWidget(boxes);
    const QStringList letters(NotebookLetters().begin(), NotebookLetters().end());
    notebookChecks_ = MakeLetterChecks(boxes, letters, QStringLiteral("Item"));
    entriesList_ = MakeRowList(this, rows_, QStringLiteral("lbData"));
    NameLetterChecks(notebookChecks_, QStringLiteral("條目"));
    entriesList_->setAccessibleName(QStringLiteral("條目列表"));
    layout->addWidget(entriesList_, 1);

    for (QCheckBox *box : notebookChecks_)
        connect(box, &QCheckBox::clicked, this, Guarded([this] { Fill(); }));
    connect(entriesList_, &OwnerDrawList::Click, this, Guarded([this] {
                const NoteRef ref = rows_->Ref(entriesList_->ItemIndex());
                if (ref.isValid())
                    Q_EMIT EntryChosen(ref);
            }));
}

void EntriesPane::Fill() {
    size_t total = 0;
    for (int b = 0; b < kNotebookCount; ++b)
        if (notebookChecks_[size_t(b)]->isChecked())
            total += size_t(notebooks_.books[size_t(b)].entries.size());
    std::vector<NoteRef> rows;
    rows.reserve(total);
    for (int b = 0; b < kNotebookCount; ++b) {
        if (!notebookChecks_[size_t(b)]->isChecked())
            continue;
        const int count = int(notebooks_.books[size_t(b)].entries.size());
        for (int e = 0; e < count; ++e)
            rows.push_back(NoteRef{b, e});
    }
    rows_->SetRows(std::move(rows));
}

NoteRef EntriesPane::SelectedEntry() const { return rows_->Ref(entriesList_->ItemIndex()); }

bool EntriesPane::Select(NoteRef ref) {
    if (!notebooks_.contains(ref))
        return false;
    QCheckBox *box = notebookChecks_[size_t(ref.book)];
    if (!box->isChecked()) {
        box->setChecked(true);
        Fill();
    }
    const int row = rows_->RowOf(ref);
    if (row < 0)
        return false;
    entriesList_->SetItemIndex(row);
    return true;
}

NoteRef EntriesPane::StepAfterCapture() {
    bool show = false;
    const int next = rows_->RowAfterCapture(entriesList_->ItemIndex(), show);
    if (next >= 0)
        entriesList_->SetItemIndex(next);
    return show ? rows_->Ref(next) : NoteRef();
}

QStringList EntriesPane::NeighbourScans() const { return rows_->NeighbourScans(entriesList_->ItemIndex()); }
NoteRef EntriesPane::SelectNextWithoutPosition() {
    const int count = rows_->rowCount();
    const int start = entriesList_->ItemIndex();
    for (int i = 1; i <= count; ++i) {
        const int row = ((start < 0 ? -1 : start) + i) % count;
        const NoteRef ref = rows_->Ref(row);
        if (!ref.isValid())
            continue;
        const NoteEntry &e = notebooks_.entry(ref);
        if (!e.isPage && (e.x < 0 || e.y < 0)) {
            entriesList_->SetItemIndex(row);
            return ref;
        }
    }
    return NoteRef();
}
