#pragma once
// The reader's own marks in the window: the owner of the stars and notes (ReaderMarks, the library's
// marks file), the keys Ctrl+D (star the entry shown) and Ctrl+E (its note), the same items in the
// page's and the lists' context menus, the stars in the lists, the tab "書籤", the note's editor and
// strip under the page, the note under the entry's page, and the search's box "我的筆記".

#include "corpus/Notebooks.h"

#include <QObject>
#include <functional>

class BookmarksPane;
class EntryView;
class NoteList;
class NotebookStore;
class PersonalNotePanel;
class QAction;
class QTabWidget;
class QWidget;
class ReaderMarks;
class ReadingContext;
class SearchPane;

class MarksWiring : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QWidget *window = nullptr;
        NotebookStore *store = nullptr;
        ReadingContext *reading = nullptr;
        QTabWidget *tabs = nullptr; // the tab "書籤" is added last
        NoteList *entries = nullptr;
        SearchPane *search = nullptr;
        EntryView *page = nullptr;
        std::function<void(const QString &)> notice; // a mark file that cannot be read or written
    };
    // `libraryFolder`: the folder of the notes files, whose marks file is read now.
    MarksWiring(Parts parts, const QString &libraryFolder, QObject *parent);

    ReaderMarks &Marks() const { return *marks_; }
    BookmarksPane *Bookmarks() const { return bookmarks_; }
    PersonalNotePanel *NotePanel() const { return panel_; }
    // Stars or unstars an entry record; a page record takes no star.
    void ToggleStar(NoteRef ref);

private:
    void FollowShown();

    Parts parts_;
    ReaderMarks *marks_;
    QAction *star_;
    QAction *note_;
    BookmarksPane *bookmarks_;
    PersonalNotePanel *panel_;
};
