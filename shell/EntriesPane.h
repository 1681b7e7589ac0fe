#pragma once
// The entries tab: a check box per notebook and the list of every record of the checked notebooks,
// page headers among them. A click (or a keyboard move) on a row chooses that record.

#include "corpus/Notebooks.h"

#include <QWidget>
#include <vector>

class NoteList;
class NotebookStore;
class QCheckBox;
class ReadingContext;

class EntriesPane : public QWidget {
    Q_OBJECT
public:
    EntriesPane(const NotebookStore &store, QWidget *parent);

    // Lists every record of the checked notebooks, in notebook order.
    void Fill();
    // The records listed, their selection and the stepping the window asks of them.
    NoteList *List() const { return list_; }
    // Selects the first row showing `ref` (checking its notebook first when it is off) without
    // choosing it; false when the record is not in the list.
    bool Select(NoteRef ref);
    void SetListFontSize(int pixels);
    void FocusList();
    // The list follows the entry shown: an entry it opened (from the scan, at start, going back) is
    // selected in it, its notebook ticked if need be; going back to a search result selects it too
    // where the list holds it, so that the page, the scan and the selection agree.
    void Follow(const ReadingContext &context);

Q_SIGNALS:
    void EntryChosen(NoteRef ref);

private:
    // Every record of the ticked notebooks, notebook after notebook, in file order.
    std::vector<NoteRef> Rows() const;
    const NotebookStore &store_;
    std::vector<QCheckBox *> notebookChecks_;
    NoteList *list_;
};
