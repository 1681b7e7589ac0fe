#pragma once
// The entries tab: a check box per notebook and the list of every record of the checked notebooks,
// page headers among them. A click (or a keyboard move) on a row chooses that record.

#include "corpus/Notebooks.h"

#include <QWidget>
#include <vector>

class NoteRowsModel;
class OwnerDrawList;
class QCheckBox;

class EntriesPane : public QWidget {
    Q_OBJECT
public:
    EntriesPane(const NotebookSet &notebooks, QWidget *parent);

    // Lists every record of the checked notebooks, in notebook order.
    void Fill();
    // The record of the selected row, or an invalid reference.
    NoteRef SelectedEntry() const;
    // Selects the first row showing `ref` (checking its notebook first when it is off) without
    // choosing it; false when the record is not in the list.
    bool Select(NoteRef ref);
    // After a position was recorded: selects the row after the selected one, passing over one page
    // header, and returns the record to show next (invalid when nothing more is to be shown).
    NoteRef StepAfterCapture();
    // The scans a reader stepping on from the selected row reaches next (see NoteRowsModel).
    QStringList NeighbourScans() const;
    // Selects the next entry row after the selected one (from the top when none is, going round)
    // whose record has no position, and returns it; invalid when every listed entry has one.
    NoteRef SelectNextWithoutPosition();

Q_SIGNALS:
    void EntryChosen(NoteRef ref);

private:
    const NotebookSet &notebooks_;
    std::vector<QCheckBox *> notebookChecks_;
    NoteRowsModel *rows_;
    OwnerDrawList *entriesList_;
};
