#pragma once
// The search tab: the query box, which fields and notebooks to search, and the results list. The
// search runs again on every change of the text or a box, and on Enter or a click in the query box.
// A chosen result carries the query, which the entry page marks.

#include "corpus/Notebooks.h"

#include <QWidget>
#include <functional>
#include <future>
#include <memory>
#include <vector>

struct NoteEntry;
class EntrySearch;
class NoteList;
class NoteRowsModel;
class NotebookStore;
class OwnerDrawList;
class PersonalNotesSearch;
class QAction;
class QMenu;
class ReaderMarks;
class QCheckBox;
class QLabel;
class QLineEdit;

class SearchPane : public QWidget {
    Q_OBJECT
public:
    SearchPane(const NotebookStore &store, QWidget *parent);
    ~SearchPane() override;

    QString Query() const;
    // Whether the search folds variant characters (the "繁簡異體" box); off at first.
    bool Folding() const;
    void SetFolding(bool on);
    void SetQuery(const QString &text);
    // Builds the search buffers on a worker thread, so that the window paints first.
    void PrepareInBackground();
    // Fills the results list for the query and boxes as they stand.
    void RunSearch();
    int ResultCount() const;
    // The record of a result row, or an invalid reference.
    NoteRef Result(int row) const;
    // The record of the selected result, or an invalid reference.
    NoteRef SelectedResult() const;
    // Selects and opens the next result (direction 1) or the previous one (-1), going round at the
    // ends; from none selected, the first or the last. False when there are no results.
    bool StepResult(int direction);
    // What the page of `entry` marks for the query as it stands: the query, or folded the forms found.
    QString HighlightFor(const NoteEntry &entry) const;
    // The results listed, their selection and the stepping the window asks of them.
    NoteList *List() const { return list_; }
    void SetListFontSize(int pixels);
    void FocusList();
    // The reader's own notes join the search: a box "我的筆記" beside the field boxes (ticked when any
    // note exists, until the person sets it) finds text in them; the results show the stars.
    void FollowMarks(const ReaderMarks &marks);
    bool SearchesPersonalNotes() const;
    // Items of the window's own added to a result's context menu for its record.
    void SetResultMenuExtras(std::function<void(QMenu &, NoteRef)> extras) {
        menuExtras_ = std::move(extras);
    }
    // The width the results list has, or would have in the layout while the tab was never shown.
    int ResultsListWidth() const;

Q_SIGNALS:
    void HitChosen(NoteRef ref, const QString &highlight);
    // The user asked to see a result in the entries list (Ctrl+L or the list's context menu).
    void ShowInEntriesList(NoteRef ref);
    // The results list was filled again with `hits` (none for an empty query); the scan marks those
    // placed on it.
    void ResultsChanged(const std::vector<NoteRef> &hits);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // At night the count and position turn light grey on the dark pane.
    void changeEvent(QEvent *event) override;

private:
    void ShowResultCount();
    void ShowResultPosition();
    void OpenResult(NoteRef ref);
    void ShowContextMenu(const QPoint &at);

    // The search buffers are built after the window's first paint, on a worker thread; the first
    // search waits for them if it comes sooner.
    EntrySearch &Search();
    QList<const Notebook *> books_;
    std::unique_ptr<EntrySearch> search_;
    std::future<std::unique_ptr<EntrySearch>> pendingSearch_;
    std::vector<QCheckBox *> notebookChecks_;
    const NotebookStore &store_;
    QCheckBox *titleCheck_, *contentCheck_, *sourceCheck_, *remarkCheck_, *foldCheck_;
    QLineEdit *queryEdit_;
    NoteList *list_;
    OwnerDrawList *resultsList_; // the list's view and rows, for short
    NoteRowsModel *results_;
    QLabel *countLabel_;
    QLabel *positionLabel_; // "3/23": the selected result among them
    QAction *showInEntriesAction_;
    QCheckBox *notesCheck_ = nullptr; // "我的筆記", made by FollowMarks
    bool notesCheckSet_ = false;      // the person ticked or cleared it
    const ReaderMarks *marks_ = nullptr;
    std::unique_ptr<PersonalNotesSearch> notesSearch_; // made at the first search after a change of the notes
    std::function<void(QMenu &, NoteRef)> menuExtras_;
};
