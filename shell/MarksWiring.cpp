#include "shell/MarksWiring.h"

#include "common/Log.h"
#include "corpus/MarksFile.h"
#include "corpus/NotebookStore.h"
#include "corpus/ReaderMarks.h"
#include "corpus/ReadingContext.h"
#include "display/EntryView.h"
#include "display/PersonalNotePanel.h"
#include "display/SearchPane.h"
#include "shell/BookmarksPane.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/NoteList.h"
#include "widgets/OwnerDrawList.h"

#include <QAction>
#include <QMenu>
#include <QTabWidget>

namespace {

QString StarCaption(bool starred) {
    return starred ? QStringLiteral("移除書籤") : QStringLiteral("加入書籤");
}

QAction *WindowAction(QWidget *window, const QString &text, const QKeySequence &keys, const char *name) {
    auto *action = new QAction(text, window);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setCheckable(true);
    window->addAction(action);
    return action;
}

} // namespace

MarksWiring::MarksWiring(Parts parts, const QString &libraryFolder, QObject *parent)
    : QObject(parent), parts_(std::move(parts)) {
    QString fileName;
    try {
        fileName = MarksFileFor(libraryFolder);
    } catch (const std::exception &e) {
        qCWarning(lcShell) << "no marks file for the library:" << e.what();
    }
    marks_ = new ReaderMarks(*parts_.store, fileName, libraryFolder, this);
    try {
        if (!fileName.isEmpty()) marks_->Load();
    } catch (const std::exception &e) {
        // The marks file is left as it is; the reader goes on without the marks it holds.
        if (parts_.notice) parts_.notice(QString::fromUtf8(e.what()));
    }

    star_ = WindowAction(parts_.window, StarCaption(false), QKeySequence(Qt::CTRL | Qt::Key_D), "actStar");
    note_ = WindowAction(parts_.window, QStringLiteral("我的筆記"), QKeySequence(Qt::CTRL | Qt::Key_E),
                         "actPersonalNote");
    connect(star_, &QAction::triggered, this, Guarded([this] { ToggleStar(parts_.reading->Shown().ref); }));

    // The page: its strip and note editor under it, the note under the teacher's text, the menu items.
    panel_ = new PersonalNotePanel(*parts_.store, *marks_, *parts_.reading, star_, note_, parts_.page);
    parts_.page->AddBelow(panel_);
    parts_.page->SetPersonalNoteSource([this] { return marks_->NoteOf(parts_.reading->Shown().ref); });
    parts_.page->AddMenuActions({star_, note_});
    connect(note_, &QAction::triggered, this, Guarded([this](bool open) { panel_->SetEditorOpen(open); }));
    connect(panel_, &PersonalNotePanel::NoteShown, this,
            Guarded([this] { parts_.page->RefreshPersonalNote(); }));

    // The lists: stars in their rows, the item in their context menus for the row under the pointer.
    parts_.entries->FollowMarks(*marks_);
    parts_.search->FollowMarks(*marks_);
    const auto addStarItem = [this](QMenu &menu, NoteRef ref) {
        if (!parts_.store->Contains(ref) || parts_.store->Entry(ref).isPage) return;
        QAction *item = menu.addAction(StarCaption(marks_->IsStarred(ref)), this,
                                       Guarded([this, ref] { ToggleStar(ref); }));
        item->setObjectName(QStringLiteral("actStarRow"));
    };
    parts_.search->SetResultMenuExtras(addStarItem);
    OwnerDrawList *entriesView = parts_.entries->View();
    if (entriesView->contextMenuPolicy() == Qt::DefaultContextMenu) {
        entriesView->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(entriesView, &QWidget::customContextMenuRequested, this,
                Guarded([this, entriesView, addStarItem](const QPoint &at) {
                    QMenu menu(entriesView);
                    menu.setObjectName(QStringLiteral("entriesListMenu"));
                    addStarItem(menu, parts_.entries->RefAt(at));
                    if (!menu.isEmpty()) menu.exec(entriesView->viewport()->mapToGlobal(at));
                }));
    }

    // The tab "書籤": a bookmark opens as an entry of the entries list does.
    bookmarks_ = new BookmarksPane(*parts_.store, *marks_, parts_.tabs);
    parts_.tabs->addTab(bookmarks_, QStringLiteral("書籤"));
    connect(bookmarks_, &BookmarksPane::EntryChosen, this,
            Guarded([this](NoteRef ref) { parts_.reading->Show(ref, QString(), OpenedFrom::EntriesList); }));
    bookmarks_->List()->View()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(bookmarks_->List()->View(), &QWidget::customContextMenuRequested, this,
            Guarded([this, addStarItem](const QPoint &at) {
                OwnerDrawList *view = bookmarks_->List()->View();
                QMenu menu(view);
                addStarItem(menu, bookmarks_->List()->RefAt(at));
                if (!menu.isEmpty()) menu.exec(view->viewport()->mapToGlobal(at));
            }));

    connect(parts_.reading, &ReadingContext::ShownChanged, this, [this] { FollowShown(); });
    connect(marks_, &ReaderMarks::MarksChanged, this, Guarded([this](NoteRef ref) {
                if (ref == parts_.reading->Shown().ref) FollowShown();
            }));
    connect(marks_, &ReaderMarks::MarksReset, this, Guarded([this] { FollowShown(); }));
    FollowShown();
}

void MarksWiring::ToggleStar(NoteRef ref) {
    if (!parts_.store->Contains(ref) || parts_.store->Entry(ref).isPage) {
        FollowShown(); // the action's check mark goes back
        return;
    }
    marks_->SetStarred(ref, !marks_->IsStarred(ref));
}

void MarksWiring::FollowShown() {
    const NoteRef ref = parts_.reading->Shown().ref;
    const bool entry = parts_.store->Contains(ref) && !parts_.store->Entry(ref).isPage;
    const bool starred = entry && marks_->IsStarred(ref);
    star_->setChecked(starred);
    star_->setText(StarCaption(starred));
    star_->setEnabled(entry);
    note_->setEnabled(entry || panel_->IsEditorOpen());
    // While the note is being typed the page keeps what it shows; it follows once the editor closes.
    if (!panel_->IsEditorOpen()) parts_.page->RefreshPersonalNote();
}
