#pragma once
// The line at the foot of the window: the shown entry's notebook and page, the scan's zoom, and in
// capture mode how many entries have their position. It holds none of this itself: it follows the
// reading context, the scan pane and the capture session, and reads the store when they announce.

#include <QStatusBar>

class CaptureSession;
class NotebookStore;
class PageViewer;
class QLabel;
class ReadingContext;

class StatusLine : public QStatusBar {
    Q_OBJECT
public:
    StatusLine(const NotebookStore &store, const ReadingContext &reading, const CaptureSession &capture,
               const PageViewer &scan, QWidget *parent);

    // What the line says, its parts in order and joined by "　", for the screen reader and the tests.
    QString Text() const;

private:
    void ShowEntry();
    void ShowZoom(float factor);
    void ShowCoverage();
    QLabel *AddPart(const char *objectName, bool right);

    const NotebookStore &store_;
    const ReadingContext &reading_;
    const CaptureSession &capture_;
    QLabel *entry_;
    QLabel *zoom_;
    QLabel *coverage_;
};
