#pragma once
// The page scan pane: the scroll box with the page image and the transparent overlay over it (the
// widgets in ScanWidgets), loaded by ScanLoader and zoomed by ScanZoom (the menu on a right click,
// Ctrl+wheel, its keys); wheel and drag scrolling, the red marker that shows an entry's position for
// three seconds, and the marks of the scan as a map (ScanMarks). In capture mode a right click picks a
// position instead of opening the menu.

#include "corpus/Data.h"
#include "corpus/Notebooks.h"
#include "images/ProposalRings.h"
#include "images/ScanMarks.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class PageImage;
class PointOverlay;
class QAction;
class QTimer;
class QMenu;
class ScanIndex;
class ScanLayouts;
class ScanMap;
class ScanLabels;
class ScanLoader;
class ScanZoom;
class QHelpEvent;
class ScrollBoxArea;

class PageViewer : public QWidget {
    Q_OBJECT
public:
    explicit PageViewer(QWidget *parent);

    // Loads the entry's page when another one is shown, scrolls to the entry and marks its position.
    void ShowEntry(const NoteEntry &entry);
    // Decodes these scans on a worker thread while the reader looks at the page shown, so that
    // stepping onto one of them costs no decode.
    void PrefetchScans(const QStringList &paths);
    // Shows a scan from the scans list at its top right corner; nothing happens for the page shown.
    void ShowScan(const QString &path);
    // Decodes and shows a page at the zoom factor. On failure it raises, and the pane shows a notice
    // naming the file in place of any earlier page.
    void LoadPage(const QString &path);
    bool IsShowingUnreadableNotice() const;
    // A large scan is being decoded on the worker thread for the entry asked for last.
    bool IsDecodingInBackground() const;
    // The Windows-style path of the page shown ("" before the first, and after a page that could
    // not be read).
    const QString &CurrentPath() const { return currentPath_; }

    float ZoomFactor() const;
    // Takes a factor read back from the settings (within the viewer's bounds); the next page loaded
    // is shown at it.
    void SetZoomFactor(float factor);

    // While recording, a right click picks a position instead of opening the zoom menu.
    void SetCaptureMode(bool recording) { recording_ = recording; }
    bool IsMarkerShown() const;
    // The surface the zoom menu opens over (the menu key's target).
    QWidget *MenuSurface() const;
    // A line over the scan; hidden when empty.
    void SetCaptureCaption(const QString &text);
    QString CaptureCaption() const;

    // The scans of one letter folder in listing order, as the paths that open them; the pane asks
    // for them when the user steps to the next or previous scan.
    using ScanListing = std::function<QStringList(const QString &letter)>;
    void SetScanListing(ScanListing listing) { scanListing_ = std::move(listing); }
    // Shows the scan `step` places after (or before) the one shown in its letter's listing, at the
    // same zoom; false when there is none.
    bool StepScan(int step);

    // Zoom that keeps the page within the pane: its width, or the whole page.
    void FitWidth();
    void FitPage();
    // Sizes the page for `factor` (within the viewer's bounds) from the picture's natural size.
    void ZoomToFactor(float factor);

    // ---- the scan as a map of the notebooks ------------------------------------------------------
    // Where the entries placed on each scan are; the marks and the double click read it.
    void SetScanIndex(ScanIndex *index);
    // The search's results (any order); those placed on the scan shown are marked in a second colour.
    void SetHits(std::vector<NoteRef> hits);
    // The marks at every entry's position (key M, the menu's "顯示條目位置").
    void SetMarksShown(bool shown);
    // Night reading: the scan dimmed (and inverted); the marker and the marks stay as they are.
    void SetNightShade(bool night, bool inverted);
    bool MarksShown() const;
    const ScanMarks &Marks() const;
    // The double click's radius around a position: a twelfth of the scan's natural width.
    double PickRadius() const;
    // What a double click at natural-size position (x, y) does: raises EntryPicked for the nearest
    // entry within the radius, else says so in the corner. True when an entry was picked.
    bool PickAt(int x, int y);
    // The note in the pane's lower left corner ("本頁 N 條"), "" when hidden.
    QString CornerNote() const;

    // ---- proposals of capture mode -----------------------------------------------------------------
    // The layouts of the scans, read on a worker: the written regions and the proposals use them.
    ScanLayouts *Layouts() const { return layouts_; }
    // The proposed positions drawn over the scan.
    void SetProposals(std::vector<ProposalRing> rings, int current, bool showAll);
    void SetCurrentProposal(int index);
    const ProposalRings &Proposals() const { return proposals_; }
    // Keys taken before the pane's own while the scan has the focus and recording is on (the
    // proposals' Enter, Space, Tab): true when `event` is one of them (acted on when `act`).
    using KeyHook = std::function<bool(const QKeyEvent *event, bool act)>;
    void SetCaptureKeys(KeyHook keys) { captureKeys_ = std::move(keys); }
    // The zoom menu, for items of other parts of the window.
    QMenu *Menu() const;
    // Scrolls so that the natural-size point shows, when it does not.
    void Reveal(QPoint natural);

Q_SIGNALS:
    // A right click in capture mode, as a position on the page at its natural size.
    void PositionPicked(int x, int y);
    // Keys of capture mode while the scan has focus and recording is on: Ctrl+Z and N.
    void UndoCaptureWanted();
    void NextUnpositionedWanted();
    // A double click near an entry's position on the scan shown.
    void EntryPicked(NoteRef ref);
    // The zoom changed (menu, wheel, keys, fitting).
    void ZoomFactorChanged(float factor);
    // Another scan is shown (or none, after one that could not be read).
    void ScanShown(const QString &path);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

public:
    // The keys of the scan pane; true when `event` is one of them (and it was acted on when `act`).
    // The window hands them here wherever its focus is, unless a text box needs the key.
    bool TakeKey(const QKeyEvent *event, bool act);

private:
    // After every change of the zoom: a finer picture where needed, the marker follows, the factor is
    // shown in the corner.
    void ZoomChanged();
    void PointerDown(Qt::MouseButton button, int x, int y);
    void PointerMove();
    void ClearMarker();
    void DrawMarker();
    // The marks changed: painted again, the hits counted again.
    void MarksChanged();
    bool ShowMarkTip(const QHelpEvent *event);
    void ShowUnreadable(const QString &path, const QString &reason);
    void ApplyPicture(const QString &path, const QImage &picture, QSize natural = QSize(),
                      const QList<QImage> &halvings = {});
    void LargeScanDecoded(const QString &path, const QImage &picture);

    ScrollBoxArea *scrollBox_;
    PageImage *pageImage_;
    PointOverlay *overlay_;
    ScanLoader *loader_;
    ScanZoom *zoom_;
    ScanLabels *labels_;
    QTimer *markerTimer_;
    ScanListing scanListing_;
    ScanLayouts *layouts_;
    ScanMap *map_;
    ProposalRings proposals_;
    KeyHook captureKeys_;
    QAction *marksAction_;
    // The position the marker shows (natural-size pixels), while it is shown.
    QPoint markedPosition_;
    // The shown entry's position on the page shown (natural-size pixels); null without one.
    QPoint entryPosition_;
    QString currentPath_;
    NoteEntry pendingEntry_; // shown once its large scan is decoded
    bool recording_ = false;
    bool dragging_ = false;
    QPoint dragStartPointer_;
    QPoint dragStartScroll_;
};
