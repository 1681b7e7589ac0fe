#include "display/SearchPane.h"

#include "common/Log.h"
#include "corpus/NotebookStore.h"
#include "corpus/ReaderMarks.h"
#include "display/PersonalNotesSearch.h"
#include "display/Search.h"
#include "widgets/Controls.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"
#include "widgets/NoteList.h"
#include "widgets/OwnerDrawList.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRect>
#include <QVBoxLayout>

#include <system_error>

SearchPane::SearchPane(const NotebookStore &store, QWidget *parent) : QWidget(parent), store_(store) {
    setObjectName(QStringLiteral("TabSearch"));
    for (const Notebook &book : store.Set().books)
        books_ << &book;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The designed panel is 121 high; one more row under the query holds the folding box.
    QWidget *boxes = MakePanel(this, DesignPixels(146), QStringLiteral("Panel3"));
    layout->addWidget(boxes);
    const QStringList letters(NotebookLetters().begin(), NotebookLetters().end());
    notebookChecks_ = MakeLetterChecks(boxes, letters, QStringLiteral("Search"));
    const auto field = [&](const QString &caption, int left, int width, const char *name) {
        return MakeCheck(boxes, caption,
                         QRect(DesignPixels(left), DesignPixels(50), DesignPixels(width), DesignPixels(17)),
                         QString::fromLatin1(name));
    };
    titleCheck_ = field(QStringLiteral("條目"), 11, 57, "cbTitle");
    contentCheck_ = field(QStringLiteral("內容"), 71, 57, "cbContent");
    sourceCheck_ = field(QStringLiteral("出處"), 134, 60, "cbSource");
    remarkCheck_ = field(QStringLiteral("案語"), 191, 59, "cbPs");
    // At the window's font the designed widths cut the captions and leave no room between a caption and
    // the next box: each box is as wide as its caption needs, half a character apart.
    const int gap = fontMetrics().horizontalAdvance(QChar(0x3000)) / 2;
    QCheckBox *previous = nullptr;
    for (QCheckBox *box : {titleCheck_, contentCheck_, sourceCheck_}) {
        box->resize(qMax(box->width(), box->sizeHint().width()), box->height());
        if (box != titleCheck_) box->move(qMax(box->x(), previous->geometry().right() + 1 + gap), box->y());
        previous = box;
    }
    remarkCheck_->hide(); // the remarks are searched while it is checked, though it is never shown
    queryEdit_ = MakeFilterEdit(boxes, 79, QStringLiteral("edSearch"));
    // Folding on a row of its own under the query (beside the field boxes its caption would be cut at the
    // pane's designed width), after it in the tab order; off, so that the search is exact until asked.
    foldCheck_ = MakeCheck(boxes, QStringLiteral("繁簡異體"),
                           QRect(DesignPixels(11), DesignPixels(113), 0, 0), QStringLiteral("cbFold"));
    foldCheck_->resize(foldCheck_->sizeHint());
    foldCheck_->setChecked(false);
    foldCheck_->setAccessibleName(QStringLiteral("檢索繁簡異體"));
    foldCheck_->setToolTip(QStringLiteral("簡體、繁體與異體字互相檢索（学 亦尋 學，為 亦尋 爲）"));
    list_ = new NoteList(store, NoteRowsModel::Style::SearchResults, this, QStringLiteral("lbSearch"));
    resultsList_ = list_->View();
    results_ = list_->Rows();
    NameLetterChecks(notebookChecks_, QStringLiteral("檢索"));
    for (QCheckBox *box : {titleCheck_, contentCheck_, sourceCheck_, remarkCheck_})
        box->setAccessibleName(QStringLiteral("檢索欄位 ") + box->text());
    queryEdit_->setAccessibleName(QStringLiteral("檢索文字"));
    resultsList_->setAccessibleName(QStringLiteral("檢索結果列表"));
    layout->addWidget(resultsList_, 1);
    // The number of results, right of the notebook boxes where a fifth letter would stand.
    countLabel_ = new QLabel(boxes);
    countLabel_->setObjectName(QStringLiteral("searchResultCount"));
    countLabel_->setGeometry(DesignPixels(194), DesignPixels(16), DesignPixels(52), DesignPixels(17));
    countLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont countFont = countLabel_->font();
    countFont.setPixelSize(DesignPixels(14));
    countLabel_->setFont(countFont);
    countLabel_->setStyleSheet(QStringLiteral("color: #505050;"));
    // Which result is selected, under the count at the right of the folding box's row.
    positionLabel_ = new QLabel(boxes);
    positionLabel_->setObjectName(QStringLiteral("searchResultPosition"));
    positionLabel_->setGeometry(DesignPixels(140), DesignPixels(113), DesignPixels(106), DesignPixels(17));
    positionLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    positionLabel_->setFont(countFont);
    positionLabel_->setStyleSheet(QStringLiteral("color: #505050;"));
    positionLabel_->setToolTip(QStringLiteral("F3 下一條結果，Shift+F3 上一條"));

    showInEntriesAction_ = new QAction(QStringLiteral("在條目列表中顯示"), this);
    showInEntriesAction_->setObjectName(QStringLiteral("actShowInEntriesList"));
    showInEntriesAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    showInEntriesAction_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(showInEntriesAction_);
    connect(showInEntriesAction_, &QAction::triggered, this, Guarded([this] {
                const NoteRef ref = SelectedResult();
                if (ref.isValid()) Q_EMIT ShowInEntriesList(ref);
            }));
    resultsList_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(resultsList_, &QWidget::customContextMenuRequested, this,
            Guarded([this](const QPoint &at) { ShowContextMenu(at); }));

    const auto rerun = Guarded([this] { RunSearch(); });
    for (QCheckBox *box : notebookChecks_)
        connect(box, &QCheckBox::clicked, this, rerun);
    for (QCheckBox *box : {titleCheck_, contentCheck_, sourceCheck_, remarkCheck_, foldCheck_})
        connect(box, &QCheckBox::clicked, this, rerun);
    connect(queryEdit_, &QLineEdit::textChanged, this, rerun);
    connect(queryEdit_, &QLineEdit::returnPressed, this, rerun);
    queryEdit_->installEventFilter(this);
    // The pane takes the keyboard into its query box (a click on its tab, Ctrl+Tab).
    setFocusProxy(queryEdit_);
    connect(list_, &NoteList::Chosen, this, Guarded([this](NoteRef ref) { OpenResult(ref); }));
    connect(resultsList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ShowResultPosition(); });
    // A notebook read anew: the search buffers are built again from it, and the results follow.
    // The buffers being built in the background read the notebooks: the build ends before one is replaced.
    connect(&store, &NotebookStore::BookAboutToBeReplaced, this, [this] {
        if (pendingSearch_.valid()) pendingSearch_.wait();
    });
    const auto rebuild = Guarded([this](int) {
        if (pendingSearch_.valid()) pendingSearch_.get();
        search_.reset();
        const NoteRef selected = list_->Selected();
        RunSearch();
        if (selected.isValid() && list_->Selected() != selected) list_->Select(selected);
    });
    connect(&store, &NotebookStore::BookReloaded, this, rebuild);
    connect(&store, &NotebookStore::BookExtended, this, rebuild);
}

SearchPane::~SearchPane() = default;

void SearchPane::PrepareInBackground() {
    if (search_ || pendingSearch_.valid()) return;
    try {
        const QList<const Notebook *> books = books_;
        const bool fold = Folding();
        pendingSearch_ = std::async(std::launch::async, [books, fold] {
            auto search = std::make_unique<EntrySearch>(books);
            if (fold) search->PrepareFolded();
            return search;
        });
    } catch (const std::system_error &) {
        // No thread to be had: the first search builds its buffers itself.
        qCInfo(lcDisplay) << "no thread for the search buffers; the first search builds them";
    }
}

EntrySearch &SearchPane::Search() {
    if (!search_)
        search_ = pendingSearch_.valid() ? pendingSearch_.get() : std::make_unique<EntrySearch>(books_);
    return *search_;
}

bool SearchPane::eventFilter(QObject *watched, QEvent *event) {
    // A click in the query box runs the search again, as the boxes do.
    if (watched == queryEdit_ && event->type() == QEvent::MouseButtonRelease)
        Guarded([this] { RunSearch(); })();
    // Down leaves the query box for the results, on the first one when none is selected.
    if (watched == queryEdit_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down &&
        static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier && results_->rowCount() > 0) {
        Guarded([this] {
            // As a move in the list: the result the keyboard lands on is opened.
            if (!list_->Selected().isValid()) {
                list_->Select(results_->Ref(0));
                OpenResult(results_->Ref(0));
            }
            list_->Focus();
        })();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString SearchPane::Query() const {
    return queryEdit_->text();
}

bool SearchPane::Folding() const {
    return foldCheck_->isChecked();
}

void SearchPane::SetFolding(bool on) {
    if (on == Folding()) return;
    foldCheck_->setChecked(on);
    if (!Query().isEmpty()) RunSearch();
}

void SearchPane::SetQuery(const QString &text) {
    queryEdit_->setText(text);
}

int SearchPane::ResultCount() const {
    return results_->rowCount();
}

NoteRef SearchPane::Result(int row) const {
    return results_->Ref(row);
}

NoteRef SearchPane::SelectedResult() const {
    return results_->Ref(resultsList_->ItemIndex());
}

QString SearchPane::HighlightFor(const NoteEntry &entry) const {
    // Folded, the page marks the forms found in the record (学 marks 學), not the query as typed.
    const QString query = queryEdit_->text();
    return Folding() ? FoldedHighlight(entry, query) : query;
}

void SearchPane::OpenResult(NoteRef ref) {
    Q_EMIT HitChosen(ref, store_.Contains(ref) ? HighlightFor(store_.Entry(ref)) : queryEdit_->text());
}

bool SearchPane::StepResult(int direction) {
    const int count = results_->rowCount();
    if (count == 0) return false;
    const int selected = resultsList_->ItemIndex();
    const int row = selected < 0 ? (direction > 0 ? 0 : count - 1) : (selected + direction + count) % count;
    resultsList_->SetItemIndex(row);
    OpenResult(results_->Ref(row));
    return true;
}

void SearchPane::RunSearch() {
    std::vector<NoteRef> rows;
    const QString query = queryEdit_->text();
    if (!query.isEmpty()) {
        SearchScope scope;
        for (int b = 0; b < kNotebookCount; ++b)
            scope.books[b] = notebookChecks_[size_t(b)]->isChecked();
        scope.title = titleCheck_->isChecked();
        scope.content = contentCheck_->isChecked();
        scope.remark = remarkCheck_->isChecked();
        scope.source = sourceCheck_->isChecked();
        scope.fold = Folding();
        QList<NoteRef> hits = Search().Find(query, scope);
        if (SearchesPersonalNotes()) {
            if (!notesSearch_) notesSearch_ = std::make_unique<PersonalNotesSearch>(marks_->Notes());
            hits = MergeSearchRows(hits, notesSearch_->Find(query, scope));
        }
        rows.assign(hits.begin(), hits.end());
    }
    results_->SetRows(rows);
    ShowResultCount();
    Q_EMIT ResultsChanged(rows);
}

void SearchPane::ShowResultCount() {
    const QString query = queryEdit_->text();
    const int count = results_->rowCount();
    countLabel_->setText(query.isEmpty() ? QString() : QStringLiteral("%1 條").arg(count));
    bool anyBook = false;
    for (const QCheckBox *box : notebookChecks_)
        anyBook = anyBook || box->isChecked();
    resultsList_->SetEmptyText(query.isEmpty() || count > 0 ? QString()
                               : anyBook                    ? QStringLiteral("找不到「%1」").arg(query)
                                         : QStringLiteral("未選擇任何筆記本：請勾選 K、M、N 或 O"));
    ShowResultPosition();
}

void SearchPane::ShowResultPosition() {
    const int selected = resultsList_->ItemIndex();
    positionLabel_->setText(
        selected < 0 ? QString() : QStringLiteral("%1/%2").arg(selected + 1).arg(results_->rowCount()));
}

void SearchPane::ShowContextMenu(const QPoint &at) {
    const NoteRef ref = results_->Ref(resultsList_->indexAt(at).row());
    if (!ref.isValid()) return;
    QMenu menu(resultsList_);
    menu.setObjectName(QStringLiteral("searchResultMenu"));
    // The key is shown after a tab as a hint only: the pane's own action takes it.
    QAction *show = menu.addAction(showInEntriesAction_->text() + QLatin1Char('\t') +
                                   showInEntriesAction_->shortcut().toString(QKeySequence::NativeText));
    if (menuExtras_) {
        menu.addSeparator();
        menuExtras_(menu, ref);
    }
    if (menu.exec(resultsList_->viewport()->mapToGlobal(at)) == show) Q_EMIT ShowInEntriesList(ref);
}

void SearchPane::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::PaletteChange) return;
    const QString colour =
        IsNightPalette(palette()) ? QStringLiteral("color: #A8ABB2;") : QStringLiteral("color: #505050;");
    countLabel_->setStyleSheet(colour);
    positionLabel_->setStyleSheet(colour);
}

void SearchPane::FollowMarks(const ReaderMarks &marks) {
    marks_ = &marks;
    list_->FollowMarks(marks);
    // On the folding box's row, after it: beside the field boxes there is no room at the designed width.
    notesCheck_ = MakeCheck(foldCheck_->parentWidget(), QStringLiteral("我的筆記"),
                            QRect(foldCheck_->geometry().right() + DesignPixels(6), foldCheck_->y(), 0, 0),
                            QStringLiteral("cbMyNotes"), marks.HasNotes());
    notesCheck_->resize(notesCheck_->sizeHint());
    notesCheck_->setAccessibleName(QStringLiteral("檢索欄位 我的筆記"));
    notesCheck_->setToolTip(QStringLiteral("也在自己的筆記中檢索"));
    notesCheck_->show();
    // The result position keeps to the right of it.
    const int left = notesCheck_->geometry().right() + DesignPixels(4);
    positionLabel_->setGeometry(left, positionLabel_->y(),
                                qMax(DesignPixels(40), positionLabel_->geometry().right() - left + 1),
                                positionLabel_->height());
    setTabOrder(foldCheck_, notesCheck_);
    connect(notesCheck_, &QCheckBox::clicked, this, Guarded([this] {
                notesCheckSet_ = true;
                RunSearch();
            }));
    const auto changed = Guarded([this] {
        notesSearch_.reset();
        if (!notesCheckSet_ && marks_->HasNotes() && !notesCheck_->isChecked()) notesCheck_->setChecked(true);
    });
    connect(&marks, &ReaderMarks::MarksChanged, this, changed);
    connect(&marks, &ReaderMarks::MarksReset, this, changed);
}

bool SearchPane::SearchesPersonalNotes() const {
    return marks_ && notesCheck_->isChecked();
}

int SearchPane::ResultsListWidth() const {
    // A tab page is laid out only when it is shown: until then the list keeps a width of no meaning,
    // and it would be as wide as the page area of the tabs, less this pane's margins.
    if (isVisible() || !parentWidget()) return resultsList_->width();
    const QMargins margins = layout()->contentsMargins();
    return parentWidget()->contentsRect().width() - margins.left() - margins.right();
}

void SearchPane::SetListFontSize(int pixels) {
    list_->SetFontSize(pixels);
}

void SearchPane::FocusList() {
    list_->Focus();
}
