#pragma once
// The bookmarks tab "書籤": the starred entries in the same list as the search results, newest first or
// in book order (a switch above the list), opened as the entries list opens them; Delete takes the star
// off the selected one. Stars whose entry can no longer be found are listed under it as "找不到的條目"
// with their text, and kept.

#include "corpus/Notebooks.h"

#include <QWidget>

class NoteList;
class NotebookStore;
class QComboBox;
class QLabel;
class QListWidget;
class ReaderMarks;

class BookmarksPane : public QWidget {
    Q_OBJECT
public:
    BookmarksPane(const NotebookStore &store, ReaderMarks &marks, QWidget *parent);

    NoteList *List() const { return list_; }
    // Newest first (the default) or in book order.
    void SetBookOrder(bool bookOrder);
    // The lines listed as "找不到的條目".
    QStringList UnfoundLines() const;

Q_SIGNALS:
    void EntryChosen(NoteRef ref);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Fill();

    ReaderMarks &marks_;
    QComboBox *order_;
    NoteList *list_;
    QLabel *unfoundHeading_;
    QListWidget *unfound_;
};
