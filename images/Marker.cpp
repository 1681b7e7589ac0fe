// The page-image half of showing an entry: load its page, scroll to it, mark it for three seconds.

#include "shell/Main.h"

#include "images/PageView.h"
#include "images/ViewerMath.h"

#include <QTimer>

void TfmMain::ShowEntryOnImage(int bookIndex, int entryIndex) {
    ClearMarker();
    Timer->stop();
    // A copy: the load below shows an error box, whose event loop may run other handlers.
    const NoteEntry e = notebooks[bookIndex]->entries[entryIndex];
    if (e.pageImage != currentImagePath) {
        LoadPageImage(e.pageImage);
        imgPoint->setCursor(Qt::SizeAllCursor);
        imgPoint->ResizeSurface(imgPoint->size());
    }
    const int x = e.x, y = e.y;
    if (e.isPage) {
        // Clamped to the end of the range: the view shows the top right corner of the page.
        ScrollBox->SetVert(0);
        ScrollBox->SetHorz(Image->width());
    } else {
        if (y != -1)
            ScrollBox->SetVert(viewer::ScrollTargetVert(y, imageRate, ScrollBox->height()));
        if (x == -1)
            return;
        ScrollBox->SetHorz(viewer::ScrollTargetHorz(x, imageRate, ScrollBox->width()));
    }
    if (x > 0 && y > 0) {
        imgPoint->SetPenColor(QColor(0xFF, 0x00, 0x00));
        imgPoint->SetBrushColor(QColor(0xFF, 0x00, 0x00));
        imgPoint->Ellipse(viewer::MarkerRect(x, y, imageRate));
        Timer->start();
    }
}

void TfmMain::ClearMarker() {
    imgPoint->SetBrushColor(Qt::white);
    imgPoint->FillRect(QRect(0, 0, imgPoint->width(), imgPoint->height()));
}

void TfmMain::TimerTimer() {
    ClearMarker();
    Timer->stop();
}
