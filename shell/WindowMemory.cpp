#include "shell/WindowMemory.h"

#include "corpus/NotebookStore.h"
#include "corpus/ReadingContext.h"
#include "display/EntryView.h"
#include "display/SearchPane.h"
#include "images/PageViewer.h"
#include "shell/EntriesPane.h"
#include "shell/NightMode.h"
#include "shell/PaneSplitter.h"
#include "shell/WindowPlace.h"
#include "widgets/Look.h"

#include <QMainWindow>
#include <QTabWidget>

WindowMemory::WindowMemory(Parts parts, const QString &settingsFolder, QObject *parent)
    : QObject(parent), p_(parts), folder_(settingsFolder) {}

void WindowMemory::ApplyStored() {
    WindowSettings defaults;
    defaults.outer = p_.window->frameGeometry();
    defaults.zoomFactor = p_.scan->ZoomFactor();
    defaults.maximised = p_.window->isMaximized();
    defaults.scanPaneWidth = p_.splitter->ScanPaneWidth();
    stored_ = ReadWindowSettings(folder_, defaults);
    p_.place->Restore(stored_.outer, stored_.frame, stored_.maximised);
    p_.scan->SetZoomFactor(stored_.zoomFactor);
    p_.splitter->SetScanPaneWidth(stored_.scanPaneWidth);
    p_.splitter->SetScanShare(stored_.scanShare);
    p_.page->SetPageZoom(stored_.pageZoom);
    SetListFontSize(stored_.listFontSize);
    p_.scan->SetMarksShown(stored_.showPositions);
    if (p_.night) p_.night->Set(stored_.night, stored_.nightInverted);
}

void WindowMemory::TakeUpReading(bool allRead) {
    if (stored_.openTab >= 0 && stored_.openTab < p_.tabs->count()) p_.tabs->setCurrentIndex(stored_.openTab);
    p_.search->SetFolding(stored_.searchFold);
    // The search waits for every notebook: its results would otherwise be built again as each comes in.
    searchPending_ = !stored_.searchText.isEmpty();
    if (searchPending_ && allRead) AllRead();
    // "K:12": shown again only when that record still has the headword it had.
    const QString headword = stored_.lastHeadword;
    p_.reading->RestoreLast(stored_.lastEntry, [headword](const NoteEntry &entry) {
        return SettingsLine(entry.title) == headword;
    });
}

void WindowMemory::AllRead() {
    if (!searchPending_) return;
    searchPending_ = false;
    if (p_.search->Query().isEmpty()) p_.search->SetQuery(stored_.searchText);
}

void WindowMemory::Write() const {
    WriteWindowSettings(folder_, Current());
}

void WindowMemory::SetListFontSize(int pixels) {
    listFontSize_ = pixels <= 0 ? 0 : qBound(10, pixels, 48);
    p_.entries->SetListFontSize(listFontSize_);
    p_.search->SetListFontSize(listFontSize_);
}

void WindowMemory::StepListFontSize(int direction) {
    const int current = listFontSize_ ? listFontSize_ : DesignPixels(17);
    SetListFontSize(direction == 0 ? 0 : current + 2 * direction);
}

WindowSettings WindowMemory::Current() const {
    WindowSettings s;
    s.outer = p_.place->Outer();
    s.frame = p_.place->Frame();
    s.zoomFactor = p_.scan->ZoomFactor();
    s.maximised = p_.window->isMaximized();
    QWidget *client = p_.window->centralWidget();
    s.panelTop = p_.splitter->handle(1)->mapTo(client, QPoint(0, 0)).y();
    s.panelLeft = p_.leftBar->x();
    s.panelLeft2 = p_.splitter->handle(2)->mapTo(client, QPoint(0, 0)).x();
    s.panelWidth = p_.search->ResultsListWidth();
    s.scanPaneWidth = p_.splitter->ScanPaneWidth();
    s.panelHeight = p_.leftPane->height();
    s.scanShare = p_.splitter->ScanShare();
    s.pageZoom = p_.page->PageZoom();
    s.listFontSize = listFontSize_;
    s.openTab = p_.tabs->currentIndex();
    s.searchText = p_.search->Query();
    s.searchFold = p_.search->Folding();
    s.showPositions = p_.scan->MarksShown();
    if (p_.night) {
        s.night = p_.night->IsOn();
        s.nightInverted = p_.night->IsScanInverted();
    }
    // Where the reading stopped, when the notebooks it needs were not in yet, stays as it was.
    if (searchPending_) s.searchText = stored_.searchText;
    const NoteRef shown = p_.reading->Shown().ref;
    s.lastEntry = p_.reading->LastPlace();
    if (p_.store->Contains(shown))
        s.lastHeadword = p_.store->Entry(shown).title;
    else if (!s.lastEntry.isEmpty())
        s.lastHeadword = stored_.lastHeadword;
    return s;
}
