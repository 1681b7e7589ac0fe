#pragma once
// The rows of the entries list and of the search results: each row one record of one notebook. The
// model owns its rows and answers everything the list paints through roles: the text (the headword,
// with the notebook's letter in front for search results), its lines, its height in lines and the
// row's background colour, and whether the reader starred its entry.

#include "corpus/Notebooks.h"
#include "widgets/OwnerDrawList.h"

#include <QAbstractListModel>
#include <vector>

class ReaderMarks;

class NoteRowsModel : public QAbstractListModel, public RowLineCounts {
    Q_OBJECT
public:
    enum class Style {
        Entries,       // the headword; stripes alternate by entry within a notebook, page rows darker
        SearchResults, // "【K】" + the headword; stripes alternate by row
    };
    NoteRowsModel(const NotebookSet &notebooks, Style style, QObject *parent);

    // Replaces every row (a reset: nothing is selected afterwards).
    void SetRows(std::vector<NoteRef> rows);
    // The rows as they are now with others added in one place (a notebook read while the list is shown)
    // are announced as added: the view keeps its selection and what it shows. The same rows change
    // nothing; any other change is SetRows.
    void UpdateRows(std::vector<NoteRef> rows);
    // Rows answer RowStarredRole from `marks` (which must outlive the model) and are repainted as
    // the marks change.
    void FollowMarks(const ReaderMarks &marks);
    // A notebook was read anew: its rows are answered from its new records.
    void BookChanged(int book);
    // Records were added after a notebook's last one: no row changes, its stripes are counted again.
    void BookExtended(int book) { stripes_[book].clear(); }
    const std::vector<NoteRef> &Rows() const { return rows_; }
    // The record of a row; an invalid reference for a row that does not exist.
    NoteRef Ref(int row) const;
    // The first row showing `ref`, or -1.
    int RowOf(NoteRef ref) const;
    QString RowText(int row) const;
    // After a position was recorded on `row`: the row to select next (the following one, passing
    // over one page header when a row follows it), or -1 on the last row. `show` says whether the
    // record there is to be shown (a page header in the last row is selected, not shown).
    int RowAfterCapture(int row, bool &show) const;
    // The scans of the nearest rows before and after `row` whose scan differs from that row's: the
    // pages a reader stepping through the list reaches next.
    QStringList NeighbourScans(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    int RowLineCount(int row) const override;

private:
    QColor Background(int row) const;
    // How many real entries (not page headers) come before entry e of notebook b.
    int StripeNumber(NoteRef ref) const;

    const NotebookSet &notebooks_;
    Style style_;
    const ReaderMarks *marks_ = nullptr;
    std::vector<NoteRef> rows_;
    // Per notebook, the stripe number of every record; rebuilt when a notebook is read anew.
    mutable std::vector<int> stripes_[kNotebookCount];
};
