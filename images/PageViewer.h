#pragma once
// The page scan pane: the scroll box with the page image and the transparent overlay over it, the
// zoom menu on a right click, Ctrl+wheel zoom, wheel and drag scrolling, and the red marker that
// shows an entry's position for three seconds. In capture mode a right click picks a position
// instead of opening the menu.

#include "corpus/Data.h"
#include "corpus/Notebooks.h"
#include "images/JpegImage.h"
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
class QMenu;
class QTimer;
class ScanCache;
class ScanIndex;
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

    float ZoomFactor() const { return zoomFactor_; }
    // Takes a factor read back from the settings (within the viewer's bounds); the next page loaded
    // is shown at it.
    void SetZoomFactor(float factor) { zoomFactor_ = factor; }

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
    bool MarksShown() const { return marks_.ShowAll(); }
    const ScanMarks &Marks() const { return marks_; }
    // The double click's radius around a position: a twelfth of the scan's natural width.
    double PickRadius() const;
    // What a double click at natural-size position (x, y) does: raises EntryPicked for the nearest
    // entry within the radius, else says so in the corner. True when an entry was picked.
    bool PickAt(int x, int y);
    // The note in the pane's lower left corner ("本頁 N 條"), "" when hidden.
    QString CornerNote() const;

Q_SIGNALS:
    // A right click in capture mode, as a position on the page at its natural size.
    void PositionPicked(int x, int y);
    // Keys of capture mode while the scan has focus and recording is on: Ctrl+Z and N.
    void UndoCaptureWanted();
    void NextUnpositionedWanted();
    // A double click near an entry's position on the scan shown.
    void EntryPicked(NoteRef ref);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

public:
    // The keys of the scan pane; true when `event` is one of them (and it was acted on when `act`).
    // The window hands them here wherever its focus is, unless a text box needs the key.
    bool TakeKey(const QKeyEvent *event, bool act);

private:
    // Zooms by `zoom` about the shown entry's position (or the view's middle without one), so that
    // the entry stays where it was in the view.
    void ZoomKeepingView(const std::function<void()> &zoom);
    // After every change of the zoom: the marker follows, the factor is shown in the corner.
    void ZoomChanged();
    void CheckCurrentZoomItem();
    // The viewport size when no scroll bar takes room from it.
    QSize RoomWithoutBars() const;
    void Wheel(Qt::KeyboardModifiers modifiers, int delta, bool &handled);
    void ZoomTo(QAction *action);
    void PointerDown(Qt::MouseButton button, int x, int y);
    void PointerMove();
    void ClearMarker();
    // The marks of the scan shown, from the index and the hits, painted again.
    void RefreshMarks();
    void ShowInCorner(const QString &text);
    void PlaceCornerLabels();
    bool ShowMarkTip(const QHelpEvent *event);
    void ShowUnreadable(const QString &path, const QString &reason);
    void ApplyPicture(const QString &path, const QImage &picture, QSize natural = QSize(),
                      const QList<QImage> &halvings = {});
    // The fraction to decode at for the zoom (below half size the decoder scales down itself).
    JpegScale WantedScale() const;
    // After a zoom change: decodes the page finer when the picture at hand is too coarse for it.
    void RefineAfterZoom();
    bool IsLargeScan(const QString &path);
    void LargeScanDecoded(const QString &path, bool ok, const QString &error);

    ScrollBoxArea *scrollBox_;
    PageImage *pageImage_;
    PointOverlay *overlay_;
    ScanCache *scanCache_;
    QMenu *zoomMenu_;
    class QLabel *captureCaption_;
    class QLabel *unreadableNotice_;
    QTimer *markerTimer_;
    QAction *fitWidthAction_;
    QAction *fitPageAction_;
    QAction *naturalSizeAction_;
    class QLabel *zoomIndicator_;
    QTimer *zoomIndicatorTimer_;
    ScanListing scanListing_;
    ScanIndex *scanIndex_ = nullptr;
    std::vector<NoteRef> hits_; // sorted
    ScanMarks marks_;
    QAction *marksAction_;
    class QLabel *hitCount_;
    // The position the marker shows (natural-size pixels), while it is shown.
    QPoint markedPosition_;
    // The shown entry's position on the page shown (natural-size pixels); null without one.
    QPoint entryPosition_;
    QString currentPath_;
    JpegScale decodedScale_ = JpegScale::Full; // of the picture shown
    QString pendingPath_;    // the large scan being decoded for pendingEntry_
    NoteEntry pendingEntry_;
    float zoomFactor_ = 1.0f;
    bool recording_ = false;
    bool dragging_ = false;
    QPoint dragStartPointer_;
    QPoint dragStartScroll_;
};
