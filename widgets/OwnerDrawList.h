#pragma once
// A list box painted by the program, with the click event of the desktop toolkit the reader was made
// for: a click on a row, and every selection move made from the keyboard (arrows, paging, typing the
// start of a row's text), raise Click; so does Enter on the selected row. Setting the selection from
// the program raises nothing. While it has the keyboard, a frame runs round the list.

#include <QListView>
#include <QStyledItemDelegate>
#include <vector>

// Roles the painted lists ask their models for, beside Qt::DisplayRole and Qt::BackgroundRole.
enum RowRole {
    RowTextLinesRole = Qt::UserRole + 1, // QStringList: the lines drawn in the row
    RowLineCountRole,                    // int: the row's height in text lines
    RowStarredRole,                      // bool: the reader starred the row's entry (a star at its right)
};

// A model that answers a row's height in lines without a model index: the list lays out every row
// of a fill from it, which for a hundred thousand rows must not cost an index and a variant each.
class RowLineCounts {
public:
    virtual ~RowLineCounts() = default;
    virtual int RowLineCount(int row) const = 0;
};

class OwnerDrawList : public QListView {
    Q_OBJECT
public:
    explicit OwnerDrawList(QWidget *parent = nullptr);

    // The selected row, or -1.
    int ItemIndex() const;
    // Selects a row (or none for -1) without raising Click.
    void SetItemIndex(int row);
    // The height of one text line (21 pixels at the design density).
    int itemHeight = 21;
    // A text painted grey in the middle of the list while it has no rows, each line elided in its
    // middle to the list's width; empty paints nothing.
    void SetEmptyText(const QString &text);
    QString EmptyText() const { return emptyText_; }
    // The frame around the list while it has the keyboard, in pixels.
    static constexpr int kFocusFrameWidth = 2;

Q_SIGNALS:
    void Click();

public:
    // Rows are stacked top to bottom, each as wide as the viewport. The layout is a table of row tops
    // built from the delegate's row heights alone, so filling a list of a million rows costs a pass over
    // the row map rather than a style option and a size hint per row.
    void doItemsLayout() override;
    QRect visualRect(const QModelIndex &index) const override;
    QModelIndex indexAt(const QPoint &point) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

protected:
    int horizontalOffset() const override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // Screen readers hear of the focused and selected row by its row number.
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    void paintEvent(QPaintEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyboardSearch(const QString &search) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void PaintFocusFrame();
    void EmitIfMoved(int before);
    // Lays out a pending change first, as the toolkit's own list does before answering about geometry.
    void EnsureLayout() const;
    int RowCount() const { return int(tops_.size()) - 1; }
    QModelIndex RowIndex(int row) const;
    // A row's rectangle in content coordinates, or an invalid one.
    QRect RowRect(const QModelIndex &index) const;
    // The row whose span holds the content y, clamped to the rows there are; -1 when there are none.
    int RowAtY(qint64 y) const;
    int inKeyPress_ = 0;
    QString emptyText_;
    // tops_[r] is the content y of row r; tops_.back() is the height of all rows.
    std::vector<qint64> tops_ = {0};
};

// Paints a row from what its model answers: the background (navy when selected), the text lines and a
// star for a starred entry. Under a dark palette the row colours turn to their night tints.
class RowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit RowDelegate(OwnerDrawList *list);
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    OwnerDrawList *list_;
};

// Splits a row text into its display lines at each "<br>": an empty text is one empty line and a
// trailing marker adds no line.
QStringList SplitRowLines(const QString &text);

// The star of a starred entry at the right of the row's first line.
void PaintRowStar(QPainter &painter, const QRect &rect, int lineHeight, bool night);

// Fills the row and draws its lines at left + 2, one line height apart, in the painter's pen colour.
void PaintRowLines(QPainter &painter, const QRect &rect, const QColor &background, const QStringList &lines,
                   int lineHeight);
