#pragma once
// The keys that act on what the reader looks at rather than on what has the focus:
//  - the scan's keys (W, P, 1, Ctrl+PgUp/PgDn; N and Ctrl+Z while recording) work wherever the
//    focus is in the window, unless a text box needs the key (typing, its own undo);
//  - Ctrl+plus/minus/0 act on the pane under the mouse pointer (the lists' text, the page, the
//    scan), or on the focused pane when the pointer is over none of them;
//  - F3 / Shift+F3 open the next / previous search result wherever the focus is, except in the
//    entry page while its find bar is open (there they find in the page), and leave the key to the
//    page when there are no results.

#include <QObject>

#include <functional>

class EntryView;
class PageViewer;
class SearchPane;
class QKeyEvent;
class QWidget;

class WindowKeys : public QObject {
    Q_OBJECT
public:
    struct Panes {
        QWidget *window = nullptr;
        QWidget *lists = nullptr;      // the left pane with its tabs
        QWidget *page = nullptr;       // the entry page
        EntryView *pageView = nullptr; // the same, for its find bar
        SearchPane *search = nullptr;  // the search tab, for F3
        PageViewer *scan = nullptr;
        std::function<void(int direction)> stepListText; // +1, -1, 0 for the design size
        std::function<void(int direction)> stepPageZoom;
    };
    // Watches every key of the application for the window's own; owned by `parent`.
    WindowKeys(Panes panes, QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Pane { None, Lists, Page, Scan };
    Pane PaneOf(const QWidget *widget) const;
    // The pane the text-size keys act on.
    Pane SizeTarget() const;
    // true when the key was the window's (and acted on when `act`).
    bool Take(QKeyEvent *key, bool act);
    bool TakeResultStep(QKeyEvent *key, bool act);

    Panes panes_;
    EntryView *page_;    // the page pane as what it is (nullptr in a window without one)
    SearchPane *search_; // the search tab in the lists' pane (nullptr without one)
};
