#pragma once
// The entry page pane: the web view that shows an entry as an HTML page. The program writes each
// page into a blank document itself; a page asked for while that document is still loading is kept
// and written once it is ready. A page header shows the blank page.
//
// Around the page: a find bar (Ctrl+F, F3 and Shift+F3 repeat), text size (Ctrl+plus, Ctrl+minus,
// Ctrl+0 and Ctrl+wheel over the page), copying the selection as plain text (Ctrl+C) and a context
// menu with Copy, Select all and Copy reference. The page's own scripts stay off throughout.
// The reader's own note on the entry, when there is one, is written under the teacher's text; at night
// the page takes the night style sheet.

#include "corpus/Data.h"

#include <QString>
#include <QWidget>
#include <functional>

class FindBar;
class QAction;
class QMenu;
class QWebEngineFindTextResult;
class QWebEngineView;

class EntryView : public QWidget {
    Q_OBJECT
public:
    explicit EntryView(QWidget *parent);

    // The entry's page with `highlight` marked, or the blank page for a page header.
    void ShowEntry(const NoteEntry &entry, const QString &highlight);
    // The same for a record of notebook `book`; "Copy reference" then quotes it.
    void ShowRecord(int book, const NoteEntry &entry, const QString &highlight);
    // Goes back to the blank document.
    void ShowBlank();
    // The page shown is marked again with `highlight` (empty: no marks), written anew only when the
    // marks change. A page record stays blank.
    void Rehighlight(const QString &highlight);
    // The whole page last handed to the view ("" after the blank page).
    const QString &LastWrittenPage() const { return lastWrittenPage_; }
    QWebEngineView *WebView() const { return view_; }
    // The blank document has loaded: pages are written straight into it from now on.
    bool IsDocumentReady() const { return documentReady_; }

    // The line "Copy reference" puts on the clipboard for the entry shown ("" for none).
    void SetReferenceLine(const QString &line) { referenceLine_ = line; }
    const QString &ReferenceLine() const { return referenceLine_; }
    // What "Copy reference" does instead of putting the line on the clipboard (a citation with its scan).
    void SetReferenceCopier(std::function<void()> copy) { copyReference_ = std::move(copy); }

    // Where the page takes the reader's own note on the entry shown from (asked each time a page is written).
    void SetPersonalNoteSource(std::function<QString()> noteOfShown) {
        noteOfShown_ = std::move(noteOfShown);
    }
    // The note may have changed: the page is written again when it shows another one.
    void RefreshPersonalNote();
    // The night page (NightPage) instead of the default one; the page shown is written again.
    void SetNight(bool night);
    bool IsNight() const { return night_; }
    // Items of the window's own added under the page's context menu, after a separator.
    void AddMenuActions(const QList<QAction *> &actions) { menuActions_ += actions; }
    // A strip of the window's own under the page (and under the widgets added before it).
    void AddBelow(QWidget *strip);

    // The page's zoom factor, kept between the view's smallest and largest.
    double PageZoom() const { return pageZoom_; }
    void SetPageZoom(double factor);
    // One step up or down the zoom ladder; 0 goes back to 100 %.
    void StepPageZoom(int direction);

    // Opens the find bar; repeats the last search forward or backward.
    void OpenFindBar();
    void FindAgain(bool backward);
    bool IsFindBarOpen() const;
    // The selection as plain text on the clipboard.
    void CopySelection();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void WritePage(const QString &body);
    // The body of the entry shown with its marks: the teacher's text and the reader's note under it.
    QString MarkedBody() const;
    void DocumentLoaded();
    void TitleChanged(const QString &title);
    void HideCoverAtNextPaint();
    void HideCoverAfter(int ms);
    void Find(const QString &text, bool backward);
    void FoundText(const QWebEngineFindTextResult &result);
    void ShowContextMenu(const QPoint &at);
    void WatchViewChild(QObject *child);

    QWebEngineView *view_;
    FindBar *findBar_;
    class QShortcut *escapeKey_ = nullptr;
    QWidget *blankCover_ = nullptr;
    bool coverWaitsForPaint_ = false; // the blank document has been drawn; the view's next paint shows it
    int blankLoads_ = 0;
    bool documentReady_ = false; // the blank document has loaded and can be written into
    QString pendingPage_;
    bool hasPendingPage_ = false;
    QString lastWrittenPage_;
    NoteEntry shownEntry_;    // the entry whose page is shown, for marking it again
    QString shownHighlight_;  // what it is marked with
    bool showsEntry_ = false; // an entry's page is shown (not a page record's blank)
    QString referenceLine_;
    std::function<void()> copyReference_;
    double pageZoom_ = 1.0;
    QString lastFound_; // the text the page's matches were last counted for
    std::function<QString()> noteOfShown_;
    bool night_ = false;
    QList<QAction *> menuActions_;
};
