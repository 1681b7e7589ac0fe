// The hidden capture mode: a right click on the page records the position of the entry selected in
// the entries list and moves on to the next entry; the save button writes the positions back.

#include "shell/Main.h"

#include "images/ViewerMath.h"
#include "shell/OwnerDrawList.h"

#include <QCheckBox>
#include <QPushButton>

#include <algorithm>

void TfmMain::RevealCaptureMode() {
    cbGetImgXY->setVisible(true);
    btSaveImgXY->setVisible(true);
}

void TfmMain::cbGetImgXYClick() {
    // While recording, a right click records instead of opening the zoom menu.
    imagePopupAuto = !cbGetImgXY->isChecked();
}

// The right-button branch of imgPointMouseDown.
void CaptureRightClick(TfmMain &w, int x, int y) {
    if (!w.cbGetImgXY->isChecked())
        return; // the zoom menu opens instead
    const int row = w.lbData->ItemIndex();
    const int rows = int(std::min(w.itemBooks.size(), w.itemEntries.size()));
    if (row < 0 || row >= rows)
        return; // no entry is selected: nothing to record into
    const int b = w.itemBooks[row];
    NoteEntry &e = w.notebooks[b]->entries[w.itemEntries[row]];
    if (!e.isPage) {
        e.x = viewer::CapturedCoord(x, w.imageRate);
        e.y = viewer::CapturedCoord(y, w.imageRate);
        w.positionsChanged[b] = true;
    }
    if (row + 1 >= rows)
        return; // the last row: the selection stays, nothing new is shown
    int next = row + 1;
    // One page record is skipped, when there is a row after it; a page record in the last row stays
    // selected and shows nothing more.
    if (w.notebooks[w.itemBooks[next]]->entries[w.itemEntries[next]].isPage) {
        if (next + 1 >= rows) {
            w.lbData->SetItemIndex(next);
            return;
        }
        ++next;
    }
    w.lbData->SetItemIndex(next);
    w.ShowEntry(w.itemBooks[next], w.itemEntries[next], QString());
}

void TfmMain::btSaveImgXYClick() {
    int count = 0;
    for (int b = 0; b < 4; ++b) {
        if (!positionsChanged[b])
            continue;
        // An error ends the save here: this notebook and the ones after it stay flagged, and no OK.
        notebooks[b]->SavePositions(notesFiles[b]);
        positionsChanged[b] = false;
        ++count;
    }
    if (count > 0)
        messageDialog(QStringLiteral("OK"));
}
