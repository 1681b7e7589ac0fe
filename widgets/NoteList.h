#pragma once
// One list of notebook records, as the entries tab and the search tab show it: the painted list, its
// rows, and what the window asks of either list (the selected record, stepping on after a capture, the
// scans a reader reaches next, the text size, the focus). A click or keyboard move on a row chooses it.

#include "corpus/Notebooks.h"
#include "widgets/NoteRowsModel.h"

#include <QObject>
#include <vector>

class NotebookStore;
class OwnerDrawList;
class QPoint;
class ReaderMarks;
class QWidget;

class NoteList : public QObject {
    Q_OBJECT
public:
    NoteList(const NotebookStore &store, NoteRowsModel::Style style, QWidget *parent,
             const QString &objectName);

    OwnerDrawList *View() const { return view_; }
    NoteRowsModel *Rows() const { return rows_; }

    // Replaces every row; none is selected then.
    void SetRows(std::vector<NoteRef> rows);
    void UpdateRows(std::vector<NoteRef> rows); // see NoteRowsModel::UpdateRows
    // The rows show a star for each entry starred in `marks`, as it changes.
    void FollowMarks(const ReaderMarks &marks) { rows_->FollowMarks(marks); }
    // The record of the row at `at` (the view's viewport coordinates), or an invalid reference.
    NoteRef RefAt(const QPoint &at) const;
    // The record of the selected row, or an invalid reference.
    NoteRef Selected() const;
    // Selects the first row showing `ref` without choosing it; false when it is not in the list.
    bool Select(NoteRef ref);
    // After a position was recorded: selects the row after the selected one, passing over one page
    // header, and returns the record to show next (invalid when nothing more is to be shown).
    NoteRef StepAfterCapture();
    // The scans a reader stepping on from the selected row reaches next (see NoteRowsModel).
    QStringList NeighbourScans() const;
    // Selects the next entry row after the selected one (from the top when none is, going round) whose
    // record has no position, and returns it; invalid when every listed entry has one.
    NoteRef SelectNextWithoutPosition();
    // The text size in pixels; 0 for the design size. Rows grow with their text.
    void SetFontSize(int pixels);
    void Focus();

Q_SIGNALS:
    void Chosen(NoteRef ref);

private:
    const NotebookStore &store_;
    NoteRowsModel *rows_;
    OwnerDrawList *view_;
};
