#include "shell/BookmarksPane.h"

#include "corpus/ReaderMarks.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"
#include "widgets/NoteList.h"
#include "widgets/OwnerDrawList.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

// "【K】甲條（K12）：the note's first line" for a mark whose entry is not found.
QString UnfoundLine(const ReaderMarks::Row &row) {
    const EntryAnchor &a = row.anchor;
    const QString letter =
        a.book >= 0 && a.book < kNotebookCount ? NotebookLetters()[size_t(a.book)] : QStringLiteral("?");
    QString line =
        QStringLiteral("【%1】%2（%3）")
            .arg(letter, QString(a.title).replace(QStringLiteral("<br>"), QStringLiteral(" ")).trimmed(),
                 a.page);
    if (!row.note.isEmpty()) line += QStringLiteral("：") + row.note.section(QLatin1Char('\n'), 0, 0);
    return line;
}

} // namespace

BookmarksPane::BookmarksPane(const NotebookStore &store, ReaderMarks &marks, QWidget *parent)
    : QWidget(parent), marks_(marks) {
    setObjectName(QStringLiteral("TabBookmarks"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *bar = new QWidget(this);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(DesignPixels(11), DesignPixels(8), DesignPixels(11), DesignPixels(8));
    auto *orderLabel = new QLabel(QStringLiteral("排列："), bar);
    order_ = new QComboBox(bar);
    order_->setObjectName(QStringLiteral("cbBookmarkOrder"));
    order_->addItems({QStringLiteral("最新在前"), QStringLiteral("依書序")});
    order_->setAccessibleName(QStringLiteral("書籤排列"));
    orderLabel->setBuddy(order_);
    barLayout->addWidget(orderLabel);
    barLayout->addWidget(order_, 1);
    layout->addWidget(bar);

    list_ = new NoteList(store, NoteRowsModel::Style::SearchResults, this, QStringLiteral("lbBookmarks"));
    list_->View()->setAccessibleName(QStringLiteral("書籤列表"));
    list_->View()->installEventFilter(this);
    list_->FollowMarks(marks);
    layout->addWidget(list_->View(), 1);

    unfoundHeading_ = new QLabel(QStringLiteral("找不到的條目"), this);
    unfoundHeading_->setContentsMargins(DesignPixels(4), DesignPixels(4), 0, DesignPixels(2));
    layout->addWidget(unfoundHeading_);
    unfound_ = new QListWidget(this);
    unfound_->setObjectName(QStringLiteral("lbBookmarksUnfound"));
    unfound_->setAccessibleName(QStringLiteral("找不到的條目"));
    unfound_->setMaximumHeight(DesignPixels(110));
    layout->addWidget(unfound_);
    setFocusProxy(list_->View());

    connect(order_, &QComboBox::currentIndexChanged, this, Guarded([this] { Fill(); }));
    connect(list_, &NoteList::Chosen, this, &BookmarksPane::EntryChosen);
    const auto refill = Guarded([this] { Fill(); });
    connect(&marks, &ReaderMarks::MarksChanged, this, refill);
    connect(&marks, &ReaderMarks::MarksReset, this, refill);
    Fill();
}

void BookmarksPane::SetBookOrder(bool bookOrder) {
    order_->setCurrentIndex(bookOrder ? 1 : 0);
}

void BookmarksPane::Fill() {
    const auto order =
        order_->currentIndex() == 1 ? ReaderMarks::Order::BookOrder : ReaderMarks::Order::NewestFirst;
    std::vector<NoteRef> rows;
    QStringList lost;
    for (const ReaderMarks::Row &row : marks_.Bookmarks(order)) {
        if (row.ref.isValid())
            rows.push_back(row.ref);
        else
            lost << UnfoundLine(row);
    }
    const NoteRef selected = list_->Selected();
    if (rows != list_->Rows()->Rows()) list_->SetRows(std::move(rows));
    if (selected.isValid()) list_->Select(selected);
    list_->View()->SetEmptyText(lost.isEmpty() && list_->Rows()->rowCount() == 0
                                    ? QStringLiteral("尚無書籤：Ctrl+D 將顯示中的條目加入書籤")
                                    : QString());
    unfound_->clear();
    unfound_->addItems(lost);
    unfoundHeading_->setText(QStringLiteral("找不到的條目（%1）").arg(lost.size()));
    unfoundHeading_->setVisible(!lost.isEmpty());
    unfound_->setVisible(!lost.isEmpty());
}

QStringList BookmarksPane::UnfoundLines() const {
    QStringList lines;
    for (int i = 0; i < unfound_->count(); ++i)
        lines << unfound_->item(i)->text();
    return lines;
}

bool BookmarksPane::eventFilter(QObject *watched, QEvent *event) {
    // Delete takes the star off the selected bookmark; the row after it is selected then.
    if (watched == list_->View() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        Guarded([this] {
            const NoteRef ref = list_->Selected();
            if (!ref.isValid()) return;
            const int row = list_->View()->ItemIndex();
            marks_.SetStarred(ref, false);
            const int count = list_->Rows()->rowCount();
            if (count > 0) list_->View()->SetItemIndex(qMin(row, count - 1));
        })();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
