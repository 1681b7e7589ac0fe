#pragma once
// The page scan pane: the scroll box with the page image and the transparent overlay over it, the
// zoom menu on a right click, Ctrl+wheel zoom, wheel and drag scrolling, and the red marker that
// shows an entry's position for three seconds. In capture mode a right click picks a position
// instead of opening the menu.

#include <QString>
#include <QStringList>
#include <QWidget>

struct NoteEntry;
class PageImage;
class PointOverlay;
class QAction;
class QMenu;
class QTimer;
class ScanCache;
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
    // A line over the scan; hidden when empty.
    void SetCaptureCaption(const QString &text);
    QString CaptureCaption() const;

Q_SIGNALS:
    // A right click in capture mode, as a position on the page at its natural size.
    void PositionPicked(int x, int y);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void Wheel(Qt::KeyboardModifiers modifiers, int delta, bool &handled);
    void ZoomTo(QAction *action);
    // Sizes the page for `factor` from the picture's natural size.
    void ZoomToFactor(float factor);
    void PointerDown(Qt::MouseButton button, int x, int y);
    void PointerMove();
    void ClearMarker();
    void ShowUnreadable(const QString &path, const QString &reason);

    ScrollBoxArea *scrollBox_;
    PageImage *pageImage_;
    PointOverlay *overlay_;
    ScanCache *scanCache_;
    QMenu *zoomMenu_;
    class QLabel *captureCaption_;
    class QLabel *unreadableNotice_;
    QTimer *markerTimer_;
    QString currentPath_;
    float zoomFactor_ = 1.0f;
    bool recording_ = false;
    bool dragging_ = false;
    QPoint dragStartPointer_;
    QPoint dragStartScroll_;
};
