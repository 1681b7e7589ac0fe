#pragma once
// What the window keeps between runs in velmoranote.ini: its place and size, the scan's zoom, the panes'
// widths and the scan's share of the room, the text sizes, and where the reading stopped (the tab, the
// search, the entry shown). Read once while the window is built, written at every close that goes ahead.

#include "shell/WindowSettings.h"

#include <QObject>

class EntriesPane;
class EntryView;
class NotebookStore;
class PaneSplitter;
class PageViewer;
class QMainWindow;
class QTabWidget;
class ReadingContext;
class SearchPane;
class WindowPlace;

class NightMode;

class WindowMemory : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QMainWindow *window = nullptr;
        WindowPlace *place = nullptr;
        PaneSplitter *splitter = nullptr;
        QWidget *leftPane = nullptr; // Panel2
        QWidget *leftBar = nullptr;  // Splitter2, at the top of the left pane
        QTabWidget *tabs = nullptr;
        EntriesPane *entries = nullptr;
        SearchPane *search = nullptr;
        EntryView *page = nullptr;
        PageViewer *scan = nullptr;
        ReadingContext *reading = nullptr;
        const NotebookStore *store = nullptr;
        NightMode *night = nullptr;
    };
    // velmoranote.ini is kept in `settingsFolder` (which ends in a separator).
    WindowMemory(Parts parts, const QString &settingsFolder, QObject *parent);

    // Reads velmoranote.ini over the window as built and applies the window's place, the scan's zoom,
    // the panes' widths and the text sizes.
    void ApplyStored();
    // The tab, the search and the entry where the reading stopped; the search waits for every notebook
    // unless `allRead`.
    void TakeUpReading(bool allRead);
    // Every notebook is in: the search that waited for them is run.
    void AllRead();
    // Writes velmoranote.ini; raises when it cannot be written.
    void Write() const;
    // The lists' text a step larger (+1), smaller (-1), or at its design size (0).
    void StepListFontSize(int direction);

private:
    void SetListFontSize(int pixels);
    WindowSettings Current() const;

    Parts p_;
    QString folder_;
    WindowSettings stored_;
    bool searchPending_ = false;
    int listFontSize_ = 0; // pixels; 0 for the design size
};
