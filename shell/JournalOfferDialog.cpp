#include "shell/JournalOfferDialog.h"

#include "common/Error.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// A file name shown in a list: a hostile one must not stretch the dialog off the screen.
QString Shown(const QString &text) {
    return text.size() > 120 ? text.left(117) + QStringLiteral("…") : text;
}

} // namespace

QString JournalOfferDialog::Question(const std::vector<JournalOffer> &offers) {
    int total = 0;
    QStringList hosts;
    for (const JournalOffer &o : offers) {
        total += o.count;
        if (!o.otherHost.isEmpty())
            hosts << QStringLiteral("\"%1\" 的鎖定檔記著另一台電腦 %2，那裡的閱讀器可能仍在使用它")
                         .arg(Shown(ShownPath(o.fileName)), Shown(o.otherHost));
    }
    QString text = offers.size() == 1
                       ? QStringLiteral("上次結束前有 %1 個座標尚未儲存。是否恢復這些座標？").arg(total)
                       : QStringLiteral("上次結束前有 %1 個座標尚未儲存（%2 個座標日誌）。是否恢復這些座標？")
                             .arg(total)
                             .arg(offers.size());
    if (!hosts.isEmpty())
        text += QStringLiteral("\n注意：") + hosts.join(QStringLiteral("；")) + QStringLiteral("。");
    return text;
}

JournalOfferDialog::JournalOfferDialog(QWidget *parent, const std::vector<JournalOffer> &offers)
    : QDialog(parent) {
    setObjectName(QStringLiteral("journalOffer"));
    setWindowTitle(AppTitle());
    auto *layout = new QVBoxLayout(this);
    auto *question = new QLabel(Question(offers), this);
    question->setWordWrap(true);
    layout->addWidget(question);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("journalList"));
    list_->setAccessibleName(QStringLiteral("座標日誌"));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({QStringLiteral("座標日誌"), QStringLiteral("座標"), QStringLiteral("筆記檔"),
                            QStringLiteral("寫入時間"), QStringLiteral("附註")});
    for (const JournalOffer &o : offers) {
        auto *item = new QTreeWidgetItem(list_);
        item->setText(0, Shown(ShownPath(o.fileName)));
        item->setText(1, QString::number(o.count));
        item->setText(2, Shown(o.notesFiles.join(QStringLiteral("、"))));
        item->setText(3, o.written.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        item->setText(4, o.otherHost.isEmpty()
                             ? QString()
                             : QStringLiteral("鎖定於另一台電腦：%1").arg(Shown(o.otherHost)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
    }
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(list_);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *all = buttons->addButton(QStringLiteral("全部恢復"), QDialogButtonBox::AcceptRole);
    QPushButton *ticked = buttons->addButton(QStringLiteral("恢復勾選的"), QDialogButtonBox::ActionRole);
    QPushButton *aside = buttons->addButton(QStringLiteral("全部另存一旁"), QDialogButtonBox::RejectRole);
    all->setObjectName(QStringLiteral("restoreAll"));
    ticked->setObjectName(QStringLiteral("restoreTicked"));
    aside->setObjectName(QStringLiteral("setAside"));
    all->setDefault(true);
    all->setFocus();
    layout->addWidget(buttons);
    connect(all, &QPushButton::clicked, this, [this] { done(1); });
    connect(ticked, &QPushButton::clicked, this, [this] { done(2); });
    connect(aside, &QPushButton::clicked, this, [this] { done(3); });
    resize(DesignPixels(720), sizeHint().height());
}

std::vector<bool> JournalOfferDialog::Ticked() const {
    std::vector<bool> ticked;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        ticked.push_back(list_->topLevelItem(i)->checkState(0) == Qt::Checked);
    return ticked;
}

std::vector<bool> JournalOfferDialog::Ask(QWidget *parent, const std::vector<JournalOffer> &offers) {
    if (QuestionsAnsweredForTesting() || QuestionsEnded())
        return std::vector<bool>(offers.size(), AskYesNo(parent, Question(offers), true));
    JournalOfferDialog dialog(parent, offers);
    const int answer = dialog.exec();
    // Closed because the program ends (a signal): nothing is decided, nothing set aside.
    if (QuestionsEnded()) throw QuestionUnanswered{};
    switch (answer) {
    case 1:
        return std::vector<bool>(offers.size(), true);
    case 2:
        return dialog.Ticked();
    case 3:
        return std::vector<bool>(offers.size(), false);
    default:
        return {}; // closed by its frame or Esc: nothing decided, offered again at the next start
    }
}
