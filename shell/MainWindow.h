#pragma once
// The reader's window: it builds the panes and wires their signals together, and asks the close
// question. Everything else has an owner of its own:
//   NotebookStore  (corpus/)  the four notebooks, the one place that changes them; NotebookLoader feeds it
//   ReadingContext (corpus/)  the entry shown, the list that opened it, back and forward, the last entry
//   EntriesPane    (shell/)   the notebooks' records, chosen from a list
//   SearchPane     (display/) the search and its results
//   FileBrowserPane (images/) the scans and the PDF volumes, twice
//   EntryView      (display/) the entry page in a web view
//   PageViewer     (images/)  the page scan: loading, zoom, marks, the right click of capture mode
//   CaptureSession (shell/)   the hidden capture mode, shown by CaptureBar, moving on by CaptureStepping
//   PaneSplitter   (shell/)   the three panes side by side, the page and the scan sharing the room
//   WindowMemory   (shell/)   velmoranote.ini: the window's place, the panes' widths, the reading
//   StatusLine     (shell/)   the shown entry's notebook and page, the scan's zoom, capture's count
// The panes follow the store's and the reading context's announcements; the window only connects them.

#include "corpus/Notebooks.h"

#include <QMainWindow>

#include <memory>

class CaptureSession;
class CaptureStepping;
class EntriesPane;
class EntryView;
class FileBrowserPane;
class NightMode;
class NotebookLoader;
class NotebookStore;
class PageViewer;
class PaneSplitter;
class QTabWidget;
class ReadingContext;
class ScanIndex;
class SearchPane;
class WindowMemory;
class WindowPlace;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Loads the notebooks from the working directory and the file lists and settings from the
    // program's folder; raises VelmoraError when a notes file or a letter folder is missing (the
    // window is then never shown). velmoranote.ini is kept in `settingsFolder` when one is given
    // (a library that is not the user's to write), else in the program's folder.
    explicit MainWindow(const QString &programPath, QWidget *parent = nullptr,
                        const QString &settingsFolder = {});
    ~MainWindow() override;

    // Shows the window, maximised when the settings say so.
    void ShowAsStored();

    // Large notes are read on while the window shows (the first notebook with records is there from the
    // start); whether every notebook is in, and a wait for the rest.
    bool AllNotebooksRead() const;
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

private:
    void BuildPanes();
    void Wire();
    void WireShown();
    // The scan as a map: a double click opens the entry placed there, the marks follow the search.
    void WireScanMap();
    void WireKeys();
    void SetCaption(const QString &caption);
    void ShowEmptyCaption();
    // A notice under the header for a while (a notes file read anew after another program wrote it).
    void ShowNotice(const QString &text);
    // A notice of something lost or not taken (a journal skipped), kept until dismissed.
    void ShowLastingNotice(const QString &text);
    void ForgetUnsavedPositions();
    // The close question (and the save it may ask for); false when the window must stay open.
    bool MayClose();
    void TakeUpAfterReading();

    QString programFolder_;  // with a trailing separator
    QString settingsFolder_; // where velmoranote.ini is kept, with a trailing separator
    NotebookStore *store_;
    NotebookLoader *loader_;
    ReadingContext *reading_;
    WindowPlace *place_;
    ScanIndex *scanIndex_;
    WindowMemory *memory_ = nullptr; // velmoranote.ini: the window's place, the panes, the reading

    class WindowHeader *header_ = nullptr;
    PaneSplitter *mainSplitter_ = nullptr;
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
    std::unique_ptr<CaptureStepping> stepping_;
    class NoticeStrip *notices_ = nullptr;
    NightMode *night_ = nullptr;

    bool firstShow_ = true;
};
