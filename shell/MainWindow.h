#pragma once
// The reader's window. It owns the notebooks, builds the panes and wires their signals together;
// each pane owns its controls and its state:
//   EntriesPane   (shell/)   the notebooks' records, chosen from a list
//   SearchPane    (display/) the search and its results
//   FileBrowserPane (images/) the scans and the PDF volumes, twice
//   EntryView     (display/) the entry page in a web view
//   PageViewer    (images/)  the page scan, zoom, marker, and the right click of capture mode
//   CaptureSession (shell/)  the hidden capture mode: recording and saving positions
// The notebooks have one owner, NotebookStore, which announces every change to them.
// The window itself keeps only the close question and the window settings.

#include "corpus/Notebooks.h"
#include "shell/EntryHistory.h"
#include "shell/WindowSettings.h"

#include <QMainWindow>

#include <array>

class EntriesPane;
class EntryView;
class FileBrowserPane;
class PageViewer;
class CaptureSession;
class NoteList;
class NotebookStore;
class QSplitter;
class QTabWidget;
class SearchPane;
class WindowPlace;
class ScanIndex;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Loads the notebooks from the working directory and the file lists and settings from the
    // program's folder; raises VelmoraError when a notes file or a letter folder is missing (the
    // window is then never shown). velmoranote.ini is kept in `settingsFolder` when one is given
    // (a library that is not the user's to write), else in the program's folder.
    explicit MainWindow(const QString &programPath, QWidget *parent = nullptr, const QString &settingsFolder = {});
    ~MainWindow() override;

    // Shows the window, maximised when the settings say so.
    void ShowAsStored();

    // Large notes are read on while the window shows (the first notebook with records is there from the
    // start); whether every notebook is in, and a wait for the rest.
    bool AllNotebooksRead() const { return loading_ == nullptr; }
    void FinishReading();

    // The session or the system ends the reader (a signal): no question can be answered now. Writes the
    // window's settings when it can and leaves the positions not saved in the journal, which the next
    // start offers; the caller then ends the event loop.
    void PrepareToEndUnasked();

Q_SIGNALS:
    // Every notebook is read (raised in the constructor when they were all read before the window).
    void NotebooksRead();
    // A notes file read after the window showed cannot be read: the reader cannot go on (`message` names
    // the file and says why, as at start).
    void NotesUnreadable(const QString &message);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildPanes();
    void Wire();
    // Which list opened the entry shown: capture mode moves on in that list.
    enum class Opener { None, EntriesList, SearchResults };
    void ShowEntry(NoteRef ref, const QString &highlight, Opener opener);
    NoteList *ListOf(Opener opener) const;
    Opener OpenerOf(const NoteList *list) const;
    // Selects the record in the entries list and turns to its tab.
    void SelectInEntriesList(NoteRef ref);
    void SetCaption(const QString &caption);
    void ShowEmptyCaption();
    void WireScanFeatures();
    // The scan as a map: a double click opens the entry placed there, the marks follow the store and
    // the search.
    void WireScanMap();
    void ShowPickedEntry(NoteRef ref);
    // A notice under the header for a while (a notes file read anew after another program wrote it).
    void ShowNotice(const QString &text);
    // A notice of something lost or not taken (a journal skipped), kept until dismissed.
    void ShowLastingNotice(const QString &text);
    void ForgetUnsavedPositions();
    void ApplySettings(const WindowSettings &stored);
    WindowSettings CurrentSettings() const;
    void SetScanPaneWidth(int width);
    int ScanPaneWidth() const;
    // The close question; false when the window must stay open.
    bool MayClose();

    // Reading aids: back and forward among the entries shown, the lists' text size, and where the
    // reading stopped, taken up again at the next start.
    void WireReading();
    void GoBack();
    void GoForward();
    void Revisit(const EntryHistory::Visit &visit);
    void SetListFontSize(int pixels);
    void StepListFontSize(int direction);
    void RestoreReading(const WindowSettings &stored);
    // The notebooks read after the window was built: taken into the store as they come, the entry and
    // the search where the reading stopped taken up once their notebooks are in.
    void TakeFirstNotebooks();
    void TakeReadNotebooks();
    bool AllTaken() const;
    void RestoreEntry();
    void AllRead();
    void StoreReading(WindowSettings &settings) const;

    QString programFolder_; // with a trailing separator
    QString settingsFolder_; // where velmoranote.ini is kept, with a trailing separator
    NotebookStore *store_;
    WindowPlace *place_;
    ScanIndex *scanIndex_;
    class NotebookLoading *loading_ = nullptr; // gone once every notebook is in the store
    std::array<bool, kNotebookCount> taken_{};
    bool readFailed_ = false;
    QStringList readWarnings_;
    WindowSettings restoring_; // where the reading stopped, as stored
    bool entryPending_ = false;
    bool searchPending_ = false;

    QWidget *header_ = nullptr;
    QSplitter *mainSplitter_ = nullptr;
    QWidget *leftPane_ = nullptr;
    QWidget *leftBar_ = nullptr;
    QTabWidget *tabs_ = nullptr;
    EntriesPane *entries_ = nullptr;
    SearchPane *search_ = nullptr;
    FileBrowserPane *scans_ = nullptr;
    FileBrowserPane *pdfVolumes_ = nullptr;
    EntryView *entryView_ = nullptr;
    PageViewer *pageViewer_ = nullptr;
    CaptureSession *capture_ = nullptr;
    class NoticeStrip *notices_ = nullptr;

    Opener shownBy_ = Opener::None;
    NoteRef shownEntry_;
    QString shownHighlight_;
    EntryHistory history_;
    bool revisiting_ = false; // going back or forward: the history stays as it is
    int listFontSize_ = 0;    // pixels; 0 for the design size

    bool firstShow_ = true;
    int pendingScanPaneWidth_ = 0;
};
