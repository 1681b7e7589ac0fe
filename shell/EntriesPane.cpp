#include "shell/EntriesPane.h"

#include "corpus/NotebookStore.h"
#include "corpus/ReadingContext.h"
#include "widgets/Controls.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"
#include "widgets/NoteList.h"
#include "widgets/OwnerDrawList.h"

#include <QCheckBox>
#include <QStringList>
#include <QVBoxLayout>

EntriesPane::EntriesPane(const NotebookStore &store, QWidget *parent) : QWidget(parent), store_(store) {
    setObjectName(QStringLiteral("TabSheet1"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QWidget *boxes = MakePanel(this, DesignPixels(49), QStringLiteral("Panel4"));
    layout->addWidget(boxes);
    const QStringList letters(NotebookLetters().begin(), NotebookLetters().end());
    notebookChecks_ = MakeLetterChecks(boxes, letters, QStringLiteral("Item"));
    list_ = new NoteList(store, NoteRowsModel::Style::Entries, this, QStringLiteral("lbData"));
    NameLetterChecks(notebookChecks_, QStringLiteral("條目"));
    list_->View()->setAccessibleName(QStringLiteral("條目列表"));
    layout->addWidget(list_->View(), 1);

    for (QCheckBox *box : notebookChecks_)
        connect(box, &QCheckBox::clicked, this, Guarded([this] { Fill(); }));
    connect(list_, &NoteList::Chosen, this, &EntriesPane::EntryChosen);
    // A notebook read anew may hold more or fewer records; one read on after the window showed, more.
    // Rows only added keep their selection and their place on screen.
    const auto follow = Guarded([this](int) {
        const NoteRef selected = list_->Selected();
        list_->UpdateRows(Rows());
        if (selected.isValid() && list_->Selected() != selected) list_->Select(selected);
    });
    connect(&store, &NotebookStore::BookReloaded, this, follow);
    connect(&store, &NotebookStore::BookExtended, this, follow);
}

std::vector<NoteRef> EntriesPane::Rows() const {
    const NotebookSet &notebooks = store_.Set();
    size_t total = 0;
    for (int b = 0; b < kNotebookCount; ++b)
        if (notebookChecks_[size_t(b)]->isChecked())
            total += size_t(notebooks.books[size_t(b)].entries.size());
    std::vector<NoteRef> rows;
    rows.reserve(total);
    for (int b = 0; b < kNotebookCount; ++b) {
        if (!notebookChecks_[size_t(b)]->isChecked()) continue;
        const int count = int(notebooks.books[size_t(b)].entries.size());
        for (int e = 0; e < count; ++e)
            rows.push_back(NoteRef{b, e});
    }
    return rows;
}

void EntriesPane::Fill() {
    list_->SetRows(Rows());
}

bool EntriesPane::Select(NoteRef ref) {
    if (!store_.Contains(ref)) return false;
    QCheckBox *box = notebookChecks_[size_t(ref.book)];
    if (!box->isChecked()) {
        box->setChecked(true);
        Fill();
    }
    return list_->Select(ref);
}

void EntriesPane::SetListFontSize(int pixels) {
    list_->SetFontSize(pixels);
}

void EntriesPane::FocusList() {
    list_->Focus();
}

void EntriesPane::Follow(const ReadingContext &context) {
    connect(&context, &ReadingContext::ShownChanged, this,
            Guarded([this](const ShownEntry &shown, ReadingContext::Move move) {
                if (move == ReadingContext::Move::Reread || move == ReadingContext::Move::Stepped)
                    return; // the list is where it was, or moved on itself
                if (shown.from == OpenedFrom::EntriesList)
                    Select(shown.ref);
                else if (move == ReadingContext::Move::Revisited)
                    list_->Select(shown.ref);
            }));
}
